#pragma once
// The export dialog, drawn over the start screen: a cancel button, the export button and a
// progress bar on a scroll. The export runs in steps on a timer of the UI thread, so the window
// stays live and Cancel is heard between any two steps.
#include "display/DIBContainer.h"
#include "display/DIBImageList.h"
#include "export/PhraseExport.h"
#include "platform/Dispatcher.h"
#include "platform/MusicFolders.h"
#include "shell/ModalDialog.h"

#include <memory>
#include <string>
#include <vector>

namespace parlora {

class TForm_Main;
class TDIBButtonStrip;
class TDIBLabel;

class TForm_iPod : public TModalDialog {
  public:
    enum class Result { None, Completed, Cancelled };
    static constexpr int kWidth = 403, kHeight = 119;
    static constexpr Rect kProgress{100, 38, 273, 17}; // inside the dialog

    // Where the tracks go; the defaults are the user's music folder and the mounted players.
    struct Places {
        std::string musicRoot;
        std::vector<PortablePlayer> players;
    };
    static Places DefaultPlaces();

    TForm_iPod(TForm_Main& main, int left, int top, Places places);
    ~TForm_iPod() override;

    // Opens the dialog with its top left corner at (left, top) and waits until it closes.
    static Result Execute(TForm_Main& main, int left, int top);

    void Paint(Surface& frame) override;
    void HandleInput(const InputEvent& e) override;

    // Handlers, public so the tests can drive them as a click would.
    void DIBBS_iTunesClick();
    void DIBBS_CancelClick();
    void Label_PlayerClick();

    Result result() const { return result_; }
    bool exporting() const { return exporting_; }
    bool playersChosen() const { return playersOn_; }
    const TPhraseExport* job() const { return job_.get(); }
    // The message shown at the end ("" until then).
    const std::string& finalMessage() const { return finalMessage_; }
    Rect bounds() const { return {left_, top_, kWidth, kHeight}; }

  private:
    void StartSteps();
    void StopSteps();
    void RunStep();
    void EndExport();
    void CloseAs(Result r);
    void ShowPlayers();

    TForm_Main& main_;
    int left_, top_;
    Places places_;
    TExportMessages messages_;
    TDIBImageContainer container_{kWidth, kHeight};
    TDIBVolatileImageList images_;
    TDIBButtonStrip* exportButton_ = nullptr;
    TDIBLabel* playerLabel_ = nullptr;
    std::unique_ptr<TPhraseExport> job_;
    TimerId timer_ = 0;
    Lifetime life_;
    uint64_t startMs_ = 0;
    bool exporting_ = false;
    bool asking_ = false; // the cancel question is showing
    bool playersOn_ = true;
    Result result_ = Result::None;
    std::string finalMessage_;
};

} // namespace parlora
