#pragma once
// The base of every game screen: the running score, the question bar, the tick and the cross, and
// the closing score disc that grows out of the centre while turning over once. In quiz mode the
// quit button is gone and every change of the score goes to the classroom manager.
#include "engine/FormScreen.h"
#include "engine/KaStateList.h"

#include <functional>
#include <vector>

namespace parlora {

class TDIBImage;
class TDIBLabel;

class TForm_Game : public TForm_Screen {
  public:
    static constexpr int kQuestions = 10;
    static constexpr int kEndScoreMs = 1000, kEndScoreAngle = 360;
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
    // Call after the screen's own Build(): adds the bottom strip, the actors and the game's parts.
    void BuildGameBase();
    // One step of the score disc, t from 0 to the animation's length.
    void EndScoreTick(int t);

    TKaStateList KaStateList1;
    TDIBVolatileImageList game_; // "DIBVIL_Game"

  private:
    int score_ = 0;
    int question_ = 0;
    int fullBarWidth_ = 325;
    int endDuration_ = kEndScoreMs, endAngle_ = kEndScoreAngle;
    std::vector<int> quizScoreChanges_;
    TDIBImage *questions_ = nullptr, *tick_ = nullptr, *cross_ = nullptr, *scoreDisc_ = nullptr;
    TDIBLabel *scoreLabel_ = nullptr, *endScoreLabel_ = nullptr;
};

} // namespace parlora
