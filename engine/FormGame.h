#pragma once
// The base of every game screen: the running score, the question bar, the tick and the cross, and
// the closing score disc that grows out of the centre while turning over once. In quiz mode the
// quit button is gone and every change of the score goes to the classroom manager. The flow every
// game shares lives here too: the guarded handlers, the quit rules, the seeding of the shared
// stream at the start, and leaving with the result.
#include "engine/FormScreen.h"
#include "engine/KaStateList.h"

#include <functional>
#include <string>
#include <vector>

namespace parlora {

class TDIBImage;
class TDIBLabel;

class TForm_Game : public TForm_Screen {
  public:
    static constexpr int kQuestions = 10;
    // In the ten-question games: the points of a right answer, counted up one by one, and those a
    // wrong one takes.
    static constexpr int kRightPoints = 5, kWrongPoints = 2;
    static constexpr int kEndScoreMs = 1000, kEndScoreAngle = 360;
    // The answer tag of the learner's quit, which every game's waiting state understands.
    static constexpr int kTagQuit = -1;
    // Pictures of the game list, in this order.
    enum { giTick = 0, giCross = 1, giQuestions = 2, giScoreFront = 3, giScoreBack = 4 };

    TForm_Game(TForm_Main& main, std::string className);
    ~TForm_Game() override;

    void SetQuestion(int n);
    void SetScore(int n);
    // Never below 0; the change actually made is reported.
    void DecScore(int d);
    // Quiz mode only: the change goes to the classroom manager.
    void ReportScoreChange(int delta);
    void ShowEndScore(int n);
    virtual void ShowScore(int score);

    void QuizStop() override { DIBButton_QuitClick(); }
    // Before the first answer the game simply ends; a state waiting for an answer takes the quit
    // tag; anywhere else the game passes on to its score, unless the state it waits in is stuck.
    void DIBButton_QuitClick();
    bool answered() const { return answered_; }
    bool quitRequested() const { return quitRequested_; }

    int score() const { return score_; }
    int question() const { return question_; }
    int fullBarWidth() const { return fullBarWidth_; }
    TKaStateList& stateList() { return KaStateList1; }
    // Every change reported in quiz mode, oldest first.
    const std::vector<int>& quizScoreChanges() const { return quizScoreChanges_; }
    // Where quiz-mode score changes go; the main window's link to the classroom manager sets it.
    std::function<void(int delta)> OnQuizScoreChange;

    // The end of a sound, and of an animation of the screen's list that ran to its end, go to the
    // state list; stopped animations deliver nothing.
    void PlayEnded() override { KaStateList1.EndPlay(0); }
    void SpeakerClicked(int speaker) override { KaStateList1.MouseAction(speaker == kMale ? -3 : -4); }
    virtual void DIBButton_PlayClick() { KaStateList1.MouseAction(-2); }

    TDIBImage& TickImage() { return *tick_; }
    TDIBImage& CrossImage() { return *cross_; }
    TDIBImage& QuestionsImage() { return *questions_; }
    TDIBImage& ScoreDisc() { return *scoreDisc_; }
    TDIBLabel& ScoreLabel() { return *scoreLabel_; }

  protected:
    // Where the result of a game goes when it ends.
    struct TGameResult {
        int returnScreen = 0;
        int topic = 0;    // score and weight slot
        int gameKind = 0; // the game's slot in the records
    };

    // Call after the screen's own Build(): adds the bottom strip, the actors and the game's parts.
    void BuildGameBase();
    // One step of the score disc, t from 0 to the animation's length.
    void EndScoreTick(int t);

    // Every handler runs through this: once the learner has asked to leave, a sound or picture that
    // fails must not keep them in the game.
    void Bind(const std::string& state, std::function<void(int tag)> entry,
              std::function<void(int tag)> exit = {});
    // A new run of the state list, after the shared stream is seeded: the game resets its own.
    virtual void RunStarted() {}

    // Binds the states of the points and the end that the games share, those the game's list has:
    // the points counted up, the score disc, the score said by `scoreSpeaker`, the praise.
    void BindScoreStates(int scoreSpeaker);
    // The tick or the cross shown centred on the answer clicked.
    void ShowMark(TDIBImage& mark, const TCustomDIBControl& on);
    // The steps of the ten questions and the score that the games share.
    void NoEntry(int code);
    void StartIncrements();
    void IncScoreEntry();
    void IncScoreExit();
    // After a question: the next one, or on in order to the closing scene.
    void NextQuestion();
    void WellDoneEntry();
    void SayScore(int code);
    // Only the best score is praised.
    void SayScoreExit();
    // The game ends, once: what the game must stop before its animations stop.
    virtual void Leaving() {}
    virtual TGameResult Result() const = 0;

    TKaStateList KaStateList1;
    TDIBVolatileImageList game_; // "DIBVIL_Game"
    bool answered_ = false;
    bool quitRequested_ = false;
    int incrementsLeft_ = 0;

  private:
    // The return screen is asked for, and an answered game keeps its score and weights; only once.
    void Leave();
    // True when the state the list waits in can no longer end by itself: the sound, animation or film
    // it waits for is not running (it was missing or failed).
    bool Stuck() const;

    int failedState_ = -1; // the state whose handler failed last; -1 when none
    bool left_ = false;    // the return screen has been asked for
    int score_ = 0;
    int question_ = 0;
    int fullBarWidth_ = 325;
    int endDuration_ = kEndScoreMs, endAngle_ = kEndScoreAngle;
    std::vector<int> quizScoreChanges_;
    TDIBImage *questions_ = nullptr, *tick_ = nullptr, *cross_ = nullptr, *scoreDisc_ = nullptr;
    TDIBLabel *scoreLabel_ = nullptr, *endScoreLabel_ = nullptr;
};

} // namespace parlora
