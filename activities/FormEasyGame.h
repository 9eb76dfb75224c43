#pragma once
// What every easy game shares: ten questions; four items presented one by one, one of them asked
// for by a speaker; five points for the right click, counted up with a bing, two taken for a wrong
// one; items answered wrongly come back more often. Each game adds its own scenes.
#include "engine/FormGame.h"

#include <array>
#include <string>
#include <vector>

namespace parlora {

struct TEasyGameTopic {
    int topic = 0;            // score and weight slot
    std::string prefix;       // sounds and pictures
    std::string imagesFolder; // pictures, under the interface folder
    int help = 0;
    int returnCode = 0;
    int itemCount = 0;
    std::string excluded; // two-digit item numbers left out of the game
};

class TForm_EasyGame : public TForm_Game {
  public:
    // Answer tags below 1 that the question state understands, besides kTagQuit.
    static constexpr int kTagAgain = -2, kTagMale = -3, kTagFemale = -4;

    TForm_EasyGame(TForm_Main& main, std::string className, TEasyGameTopic topic);

    void Start() override;
    void DIBButton_HelpClick();

    // The full pool of the game: two digits per item.
    static std::string FullPool(int itemCount, const std::string& excluded);

    const TEasyGameTopic& topic() const { return topic_; }
    const std::string& fullPool() const { return fullPool_; }
    const std::string& targetPool() const { return targetPool_; }
    int targetItem() const { return targetItem_; }
    int targetPosition() const { return targetPosition_; }
    int currentWord() const { return currentWord_; }
    // The items asked, by question number (1 to 10).
    int askedItem(int question) const;
    // The item standing at an answer tag.
    virtual int ItemAtTag(int tag) const = 0;

  protected:
    // Binds the states every easy game shares, those its list has: the question, the presentation
    // of the four items and their shuffle, the word and the answers, and the score states. Answers
    // are said by `answerSpeaker`, the score by `scoreSpeaker`. A game binds its own states after
    // this, and binds again whatever it does differently.
    void BindCommonStates(int answerSpeaker, int scoreSpeaker);
    // The step that shows the next of the four items, and the one that shuffles them.
    virtual void ShowItem() {}
    virtual void Shuffle() {}
    virtual void ShowStartSpeakers() { ShowSpeakers(6, true); }
    // The element of an answer tag (the tick and the cross are centred on it).
    virtual TCustomDIBControl& AnswerElement(int tag) = 0;
    // The speaker code of the question.
    virtual int QuestionSpeaker() const { return kOtherSpeaker; }

    // The skeleton's steps.
    void StartQuestion();
    // Presentation step s = step + 1: the target at its position, else a new distractor.
    int PresentedItem();
    void SayWordEntry();
    void SayWordExit(int tag);
    void WrongEntry(int wordCode);
    void RightEntry(int code);

    TEasyGameTopic topic_;
    std::string fullPool_, targetPool_, distractorPool_, positionPool_;
    int targetPosition_ = 1;
    int targetItem_ = 0;
    int step_ = 0;
    int clicked_ = 0;
    int currentWord_ = 0;
    bool recorded_ = false;
    std::array<int, kQuestions + 1> asked_{};

  private:
    void RunStarted() override;
    TGameResult Result() const override { return {topic_.returnCode, topic_.topic, 2}; }
};

} // namespace parlora
