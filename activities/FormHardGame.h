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
    static constexpr int kRightPoints = 5, kWrongPoints = 2;
    static constexpr int kGameKind = 3; // the hard game's slot in the records
    // Answer tags below 1 that the question state understands.
    static constexpr int kTagQuit = -1, kTagAgain = -2, kTagMale = -3, kTagFemale = -4;

    TForm_HardGame(TForm_Main& main, std::string className, THardGameTopic topic);

    void Start() override;
    void QuizStop() override { DIBButton_QuitClick(); }
    void DIBButton_QuitClick();
    void DIBButton_HelpClick();

    const THardGameTopic& topic() const { return topic_; }
    int targetItem() const { return targetItem_; }
    int targetPosition() const { return targetPosition_; }
    int clicked() const { return clicked_; }
    int currentWord() const { return currentWord_; }
    bool answered() const { return answered_; }
    bool quitRequested() const { return quitRequested_; }
    // The item asked, by question number (1 to 10); 0 for a question not asked yet.
    int askedItem(int question) const;
    // The item shown at an answer position; 0 when none.
    virtual int ItemAtPosition(int position) const = 0;
    // Whether a click on `position` answers the question.
    virtual bool IsRightAnswer(int position) const { return position == targetPosition_; }

  protected:
    // Every handler runs through this: once the learner has asked to leave, a sound or picture that
    // fails must not keep them in the game.
    void Bind(const std::string& state, std::function<void(int tag)> entry,
              std::function<void(int tag)> exit = {});
    virtual void ShowStartSpeakers() { ShowSpeakers(6, true); }
    // The game's own pools, made fresh when the list starts.
    virtual void StartPools() {}
    // The element of an answer position (the tick and the cross are centred on it).
    virtual TCustomDIBControl& AnswerElement(int position) = 0;

    // The skeleton's steps.
    // A new question asks `item`, shown at `position`.
    void BeginQuestion(int item, int position);
    // True when the learner has asked to leave: the question state then passes straight through.
    bool PassThroughQuestion();
    // The question's word, said by `speaker` and remembered for the Play button.
    void AskWord(int speaker);
    void SayWordExit(int tag);
    void WrongEntry(bool withCross, int wordCode);
    void NoEntry(int code);
    void RightEntry(bool withTick, int code);
    // The right answer's marks without the yes: the weight, the Play button, the tick.
    void MarkRight(bool withTick);
    void StartIncrements();
    void IncScoreEntry();
    void IncScoreExit();
    void NextQuestion();
    void WellDoneEntry();
    void SayScoreEntry(int code);
    void SayScoreExit();

    THardGameTopic topic_;
    int targetItem_ = 0;
    int targetPosition_ = 0;
    int clicked_ = 0;
    int currentWord_ = 0;
    int incrementsLeft_ = 0;
    bool answered_ = false;
    bool recorded_ = false;
    bool quitRequested_ = false;
    std::array<int, kQuestions + 1> asked_{};
    // The state that says the word and waits for the answer.
    std::string questionState_ = "SayWord";

  private:
    void KaStateList1Start(bool aborted);
    void KaStateList1Stop(bool aborted);
    // True when the state the list waits in can no longer end by itself: the sound, animation or film
    // it waits for is not running (it was missing or failed).
    bool Stuck() const;
    int failedState_ = -1; // the state whose handler failed last; -1 when none
    bool left_ = false;    // the return screen has been asked for
};

} // namespace parlora
