#pragma once
// The help dialog every screen opens with its help button: a borderless 455 x 381 box centred on
// the screen with a help picture (or a text) and an exit button. Made on first use, kept for the run.
#include "display/DIBContainer.h"
#include "display/DIBImageList.h"
#include "shell/ModalDialog.h"

#include <string>

namespace parlora {

class TDIBImage;
class TDIBLabel;

class THelpDlg : public TModalDialog {
  public:
    // Pictures come from `dataDir`; an absent one leaves its element empty after a warning.
    explicit THelpDlg(const std::string& dataDir);

    // Prepares the dialog to show a picture (loaded from `file`) or a text; the caller runs it.
    void PreparePicture(const std::string& file);
    void PrepareText(const std::string& utf8);
    void Close() { Finish(); }

    void Paint(Surface& frame) override;
    void HandleInput(const InputEvent& e) override;
    static constexpr int kWidth = 455, kHeight = 381;
    Rect bounds() const { return {(1024 - kWidth) / 2, (768 - kHeight) / 2, kWidth, kHeight}; }

  private:
    TDIBImageContainer container_{kWidth, kHeight};
    TDIBVolatileImageList images_;
    TDIBImage* help_ = nullptr;
    TDIBLabel* text_ = nullptr;
};

} // namespace parlora
