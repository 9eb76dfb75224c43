#pragma once
// The choice of the source language: a scrolling list of flags, one row per language of the sources
// list, with the chosen one highlighted; choosing one switches the course to it and greets the
// learner in it. A listed language that is not installed can be fetched by the help-language
// download program when one is installed with the course.
#include "display/DIBAnimList.h"
#include "front/VolumeSlider.h"
#include "shell/DIBScreen.h"
#include "shell/ScreenRoute.h"

#include <string>
#include <vector>

namespace parlora {

class TDIBButtonStrip;
class TDIBImage;
class TScreenFactory;

class TForm_Language : public TDIBScreen {
  public:
    static constexpr int kRowHeight = 30;
    static constexpr int kMaxVisibleRows = 7;
    static constexpr int kListLeft = 408, kListTop = 392, kListWidth = 166, kListHeight = 213;
    static constexpr int kCursorLeft = 409;
    static constexpr int kSliderMin = 427, kSliderMax = 577;
    static constexpr uint32_t kFirstStepMs = 400, kFastestStepMs = 100, kPollMs = 250;
    // The download program's name; only the one installed beside the course's executable is run.
    static constexpr const char* kHelpProgram = "parlora-get-help";

    TForm_Language(TForm_Main& main, const TScreenParams& params);
    ~TForm_Language() override;

    void Start() override;

    // "m" before noon, "a" until six in the evening, "e" from then on.
    static const char* GreetingLetter(int hour);
    // The sources list: one number per line until the first line that is not a language number.
    static std::vector<int> ParseSourceList(const std::string& text);
    static int SliderLeft(uint16_t volume) { return TVolumeSlider::Left(volume, kSliderMin, kSliderMax); }
    static uint16_t SliderVolume(int left) { return TVolumeSlider::Volume(left, kSliderMin, kSliderMax); }

    const std::vector<int>& numbers() const { return numbers_; }
    int visibleRows() const { return visible_; }
    int topRow() const { return top_; }
    int chosenRow() const { return chosen_; }
    int returnCode() const { return returnCode_; }
    uint32_t stepMs() const { return stepMs_; }
    bool downloading() const { return downloadHandle_ >= 0; }
    // The greeting path last played (without extension), "" when none was found.
    const std::string& lastGreeting() const { return lastGreeting_; }
    TDIBAnimList& animations() { return anims_; }
    // Where the download program is, or "" when the course has none.
    std::string HelpProgramPath() const;
    // The folder the program is taken from: the running executable's, unless a test names the
    // build's own.
    void setHelpProgramDir(std::string folder) { helpProgramDir_ = std::move(folder); }

  private:
    void FormCreate();
    void LoadDisc();
    void ReadSources();
    void WireEvents();

    void ShowSelection();
    bool PlayGreeting();
    void ApplyShift(int shift);
    void PlaceCursor(int shift);
    void UpdateScrollButtons();
    int LastTopRow() const { return count() - visible_ + 1; }
    int count() const { return int(numbers_.size()); }
    void Step(int direction);
    void ScrollTo(int newTop);
    void AnimEnded(bool finished);
    void Choose(int position);
    // Starts the download of the language at `position`; false when it cannot happen.
    bool StartDownload(int position);
    void PollDownload();
    void DownloadEnded(int exitCode);

    void DIBBS_ExitClick();
    void DIBBS_HelpClick();
    void DIBBS_UpMouseDown();
    void DIBBS_UpMouseUp();
    void DIBBS_DownMouseDown();
    void DIBBS_DownMouseUp();
    void DIBI_ListClick();
    void DIBI_ListMouseMove(int y);

    int returnCode_ = 1;
    std::vector<int> numbers_;
    int visible_ = 0;
    int top_ = 1;
    int chosen_ = 0; // 0: none
    uint32_t stepMs_ = kFirstStepMs;
    bool scrollingUp_ = false, scrollingDown_ = false;
    int lastMouseY_ = 0;
    std::string flagsError_;

    TDIBAnimList anims_;
    TVolumeSlider volume_;
    TDIBImage* list_ = nullptr;
    TDIBImage* cursor_ = nullptr;
    TDIBImage* slider_ = nullptr;
    TDIBButtonStrip* up_ = nullptr;
    TDIBButtonStrip* down_ = nullptr;
    std::string lastGreeting_;

    std::string helpProgramDir_;
    int downloadHandle_ = -1;
    int downloadPosition_ = 0;
    TimerId pollTimer_ = 0;
};

void RegisterLanguageScreen(TScreenFactory& factory);

} // namespace parlora
