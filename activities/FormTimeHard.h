#pragma once
// The time hard game: four clocks turn to four times, one of them the time said; the learner
// clicks its clock. Each right answer puts a small clock on the shelf, the latest in the middle.
#include "activities/FormHardGame.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace parlora {

class TDIBImage;
class TDIBImageStrip;

// One small clock on the shelf: the question it was won in.
class TClockImage {
  public:
    explicit TClockImage(int question) : question_(question) {}
    int question() const { return question_; }

  private:
    int question_;
};

class TForm_TimeHard : public TForm_HardGame {
  public:
    static constexpr int kClocks = 4, kTimes = 36;
    static constexpr int kMsPerFrame = 10;

    explicit TForm_TimeHard(TForm_Main& main);

    int ItemAtPosition(int position) const override;
    TDIBImageStrip& Hands(int clock) { return *hands_[size_t(clock)]; }
    TDIBImage& SmallClock(int question) { return *small_[size_t(question)]; }
    // The questions of the small clocks on the shelf, left to right.
    std::vector<int> Shelf() const;
    // Clock animations of this question still running.
    int turning() const { return turning_; }
    const std::string& targetPool() const { return pool_; }
    void ItemClick(int clock) { KaStateList1.MouseAction(clock); }

  protected:
    TCustomDIBControl& AnswerElement(int position) override;
    void StartPools() override;

  private:
    void DefineStates();
    void StartQuestion();
    void ShowClock();
    void ClockStopped(TCustomDIBControl& sender, bool finished);

    std::string pool_;
    std::array<TDIBImageStrip*, kClocks + 1> hands_{};
    std::array<TDIBImage*, kQuestions + 1> small_{};
    std::array<int, kClocks + 1> items_{};
    std::vector<std::unique_ptr<TClockImage>> shelf_;
    int turning_ = 0;
    TDIBAnimList::AnimEvent usualNotify_;
};

} // namespace parlora
