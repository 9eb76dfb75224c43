#pragma once
// The easy game of time: four clocks turn to their hours together, the female speaker asks for one
// time, and each right answer moves a giant arm further across the clocks.
#include "activities/FormEasyGame.h"

#include <array>

namespace parlora {

class TDIBImage;
class TDIBImageStrip;

class TForm_TimeEasy : public TForm_EasyGame {
  public:
    // The arm's width after each question; its right edge stays at kArmRight.
    static constexpr int kArmWidths[10] = {407, 474, 542, 607, 673, 740, 807, 875, 939, 990};
    static constexpr int kArmRight = 1009;
    static constexpr int kMsPerFrame = 10;

    explicit TForm_TimeEasy(TForm_Main& main);

    int ItemAtTag(int tag) const override;
    int ClockOfItem(int item) const;
    // The strip frame that shows `hour` o'clock.
    static int FrameOfHour(int hour) { return 3 * hour - 3; }
    void SpeakerClicked(int speaker) override;

  protected:
    TCustomDIBControl& AnswerElement(int tag) override;
    void ShowStartSpeakers() override { ShowSpeakers(kFemale, true); }
    int QuestionSpeaker() const override { return kFemale; }

  private:
    void DefineStates();
    void TurnClocks();
    void ClockTurned();

    std::array<TDIBImageStrip*, 5> clocks_{};
    std::array<int, 5> shown_{};
    TDIBImage* arm_ = nullptr;
    TDIBImage* thumb_ = nullptr;
    int turned_ = 0;
    int thumbs_ = 0;
};

} // namespace parlora
