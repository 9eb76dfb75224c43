#pragma once
// The hard memory quiz: memory rounds, whose cards are turned face down after a look of one second
// a card, and from the switch size on speed rounds against the disc's clock. Rounds grow by one
// card up to eleven; 55 at most with the usual sizes 2 and 7.
#include "activities/FormQuiz.h"

namespace parlora {

class TForm_QuizHard : public TForm_Quiz {
  public:
    static constexpr int kGameKind = 6;
    static constexpr int kEndCount = 12;
    static constexpr int kBestScore = 55;
    static constexpr int kApplauseAbove = 50;
    static constexpr int kClockDegreesPerSecond = 31;

    explicit TForm_QuizHard(TForm_Main& main);
    void Configure(int category, int startCount, int switchCount);

    int startCount() const { return startCount_; }
    int switchCount() const { return switchCount_; }
    bool speedPhase() const { return speed_; }
    bool reveal() const { return reveal_; }
    // How long a speed round's clock runs from a disc angle, in ms.
    static int ClockMs(int angle) { return angle * 1000 / kClockDegreesPerSecond; }

  private:
    void DefineStates();
    void WaitUserEntry();
    void WaitUserExit(int tag);
    void TurnDown(int place);

    int startCount_ = 2, switchCount_ = 7;
    bool speed_ = false;
    bool reveal_ = false;
};

} // namespace parlora
