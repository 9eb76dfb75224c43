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
    static constexpr int kRightPoints = 5, kWrongPoints = 2;
    // Answer tags below 1 that the question state understands.
    static constexpr int kTagQuit = -1, kTagAgain = -2, kTagMale = -3, kTagFemale = -4;

    TForm_EasyGame(TForm_Main& main, std::string className, TEasyGameTopic topic);

    void Start() override;
    void QuizStop() override { DIBButton_QuitClick(); }
    void DIBButton_QuitClick();
    void DIBButton_HelpClick();

    // The full pool of the game: two digits per item.
    static std::string FullPool(int itemCount, const std::string& excluded);

    const TEasyGameTopic& topic() const { return topic_; }
    const std::string& fullPool() const { return fullPool_; }
    const std::string& targetPool() const { return targetPool_; }
    int targetItem() const { return targetItem_; }
    int targetPosition() const { return targetPosition_; }
    int currentWord() const { return currentWord_; }
    bool answered() const { return answered_; }
    bool quitRequested() const { return quitRequested_; }
    // The items asked, by question number (1 to 10).
    int askedItem(int question) const;
    // The item standing at an answer tag.
    virtual int ItemAtTag(int tag) const = 0;

  protected:
    // Every handler runs through this: once the learner has asked to leave, a sound or picture that
    // fails must not keep them in the game.
    void Bind(const std::string& state, std::function<void(int tag)> entry,
              std::function<void(int tag)> exit = {});
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
    void NoEntry(int code);
    void RightEntry(int code);
    void StartIncrements();
    void IncScoreEntry();
    void IncScoreExit();
    // After a question: the next one, or on in order to the closing scene.
    void NextQuestion();
    void WellDoneEntry();
    void SayScore(int code);
    void SayScoreExit();

    TEasyGameTopic topic_;
    std::string fullPool_, targetPool_, distractorPool_, positionPool_;
    int targetPosition_ = 1;
    int targetItem_ = 0;
    int step_ = 0;
    int clicked_ = 0;
    int currentWord_ = 0;
    int incrementsLeft_ = 0;
    bool answered_ = false;
    bool recorded_ = false;
    bool quitRequested_ = false;
    std::array<int, kQuestions + 1> asked_{};

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
