#pragma once
// What every hard game shares: ten questions; a speaker says a word and the learner clicks the
// thing it names among several, trying again until it is found. Five points for the right click,
// counted up with a bing, two taken for each wrong one (never below 0); the first answer to a
// question moves the asked word's weight. Each game sets up and shows its questions its own way.
#include "engine/FormGame.h"

#include <array>
#include <functional>
#include <string>

namespace parlora {

struct THardGameTopic {
    int topic = 0;      // score and weight slot
    std::string prefix; // sounds, pictures and texts
    std::string folder; // pictures, under the interface folder
    int help = 0;       // help picture
    int returnCode = 0; // the screen to go back to
};

class TForm_HardGame : public TForm_Game {
  public:
    static constexpr int kGameKind = 3; // the hard game's slot in the records
    // Answer tags below 1 that the question state understands, besides kTagQuit.
    static constexpr int kTagAgain = -2, kTagMale = -3, kTagFemale = -4;

    TForm_HardGame(TForm_Main& main, std::string className, THardGameTopic topic);

    void Start() override;
    void DIBButton_HelpClick();

    const THardGameTopic& topic() const { return topic_; }
    int targetItem() const { return targetItem_; }
    int targetPosition() const { return targetPosition_; }
    int clicked() const { return clicked_; }
    int currentWord() const { return currentWord_; }
    // The item asked, by question number (1 to 10); 0 for a question not asked yet.
    int askedItem(int question) const;
    // The item shown at an answer position; 0 when none.
    virtual int ItemAtPosition(int position) const = 0;
    // Whether a click on `position` answers the question.
    virtual bool IsRightAnswer(int position) const { return position == targetPosition_; }

  protected:
    virtual void ShowStartSpeakers() { ShowSpeakers(6, true); }
    // The game's own pools, made fresh when the list starts.
    virtual void StartPools() {}
    // The element of an answer position (the tick and the cross are centred on it).
    virtual TCustomDIBControl& AnswerElement(int position) = 0;

    // Binds the question state and the answers as most hard games have them: the word asked by
    // `askSpeaker`, the answers' words said by `answerSpeaker`, with the cross and the tick on the
    // answer when `withMarks`. A game binds again whatever it does differently.
    void BindAnswerStates(int askSpeaker, int answerSpeaker, bool withMarks);

    // The skeleton's steps.
    // A new question asks `item`, shown at `position`.
    void BeginQuestion(int item, int position);
    // True when the learner has asked to leave: the question state then passes straight through.
    bool PassThroughQuestion();
    // The question's word, said by `speaker` and remembered for the Play button.
    void AskWord(int speaker);
    void SayWordExit(int tag);
    void WrongEntry(bool withCross, int wordCode);
    void RightEntry(bool withTick, int code);
    // The right answer's marks without the yes: the weight, the Play button, the tick.
    void MarkRight(bool withTick);

    THardGameTopic topic_;
    int targetItem_ = 0;
    int targetPosition_ = 0;
    int clicked_ = 0;
    int currentWord_ = 0;
    bool recorded_ = false;
    std::array<int, kQuestions + 1> asked_{};
    // The state that says the word and waits for the answer.
    std::string questionState_ = "SayWord";

  private:
    void RunStarted() override;
    TGameResult Result() const override { return {topic_.returnCode, topic_.topic, kGameKind}; }
};

} // namespace parlora
