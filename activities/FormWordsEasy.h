#pragma once
// The easy game of first words and of phrases: the female actor presents four words with their
// pictures and written forms; a cover hides them, the written forms come back in another order,
// the male actor says one, and the learner clicks it.
#include "activities/FormEasyGame.h"

#include <array>

namespace parlora {

class TDIBImage;

class TForm_WordsEasy : public TForm_EasyGame {
  public:
    explicit TForm_WordsEasy(TForm_Main& main);

    // Before the screen is shown: which topic and which of its items.
    void Configure(int topic, const std::string& imagesFolder, int returnScreen, int helpPage, int itemCount,
                   const std::string& excluded, const std::string& prefix);

    int ItemAtTag(int tag) const override;
    // The item presented at step s (1 to 4).
    int shownItem(int step) const { return step >= 1 && step <= 4 ? shown_[size_t(step)] : 0; }
    // The answer place (5 to 8) showing `item`, or 0.
    int TagOfItem(int item) const;
    // A click on the male actor asks again; the female one only presents.
    void SpeakerClicked(int speaker) override;

  protected:
    void ShowStartSpeakers() override { ShowSpeakers(kFemale, true); }
    TCustomDIBControl& AnswerElement(int tag) override;
    int QuestionSpeaker() const override { return kMale; }

  private:
    void DefineStates();
    void PresentWord();
    void Cover();
    void Uncover();

    std::array<TDIBImage*, 9> words_{}; // 1-4 presented, 5-8 the answer places
    TDIBImage *image_ = nullptr, *cover_ = nullptr;
    std::array<int, 5> shown_{};   // item per presentation step
    std::array<int, 5> answers_{}; // item per answer place (tag - 4)
};

} // namespace parlora
