#pragma once
// The hard game of first words and of phrases: ten pictures appear one by one in two rows, a
// speaker says the word of one of them, its written form shows beneath, and the learner clicks its
// picture; a wrong picture goes away before the word is said again. The same screen can play
// itself, as the test run the classroom manager starts: a timer answers, mostly right.
#include "activities/FormHardGame.h"
#include "platform/Dispatcher.h"

#include <array>

namespace parlora {

class TDIBImage;

class TForm_WordsHard : public TForm_HardGame {
  public:
    static constexpr int kPictures = 10;

    explicit TForm_WordsHard(TForm_Main& main);
    ~TForm_WordsHard() override;

    // Before the screen is shown: which topic and which of its items, and whether it plays itself.
    void Configure(int topic, const std::string& imageFolder, bool selfPlay, int returnScreen, int helpIndex,
                   int itemCount, const std::string& excluded, const std::string& prefix);

    int ItemAtPosition(int position) const override;
    // The position (1 to 10) showing `item`, or 0.
    int PositionOfItem(int item) const;
    bool selfPlay() const { return selfPlay_; }
    const std::string& fullPool() const { return fullPool_; }
    const std::string& targetPool() const { return targetPool_; }
    int picturesShown() const { return shown_; }
    // The self-play timer is waiting to answer.
    bool testTimerActive() const;
    TDIBImage& Picture(int position) { return *pictures_[size_t(position)]; }

  protected:
    TCustomDIBControl& AnswerElement(int position) override;
    void StartPools() override;

  private:
    void DefineStates();
    void StartQuestion();
    void ShowImage();
    void SayWordEntry();
    void Timer_TestTimer();
    void StopTestTimer();
    void HideQuestion();

    std::string imageFolder_;
    std::string fullPool_, targetPool_, distractorPool_;
    bool selfPlay_ = false;
    std::array<TDIBImage*, kPictures + 1> pictures_{};
    std::array<int, kPictures + 1> items_{}; // the item at each position
    int shown_ = 0;                          // pictures shown in this question
    TDIBImage *target_ = nullptr, *lozenge_ = nullptr, *tlit_ = nullptr;
    TimerId testTimer_ = 0;
    Lifetime lifetime_;
};

} // namespace parlora
