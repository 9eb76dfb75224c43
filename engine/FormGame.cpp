#include "engine/FormGame.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "display/DIBLabel.h"
#include "display/Transition.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

#include <cmath>
#include <cstdlib>
#include <exception>

namespace parlora {
namespace {

constexpr uint32_t kRed = 0xFFFF0000u, kYellow = 0xFFFFFF00u, kBlack = 0xFF000000u;
constexpr int kDiscSize = 305;

} // namespace

TForm_Game::TForm_Game(TForm_Main& main, std::string className)
    : TForm_Screen(main, std::move(className)), KaStateList1(main.dispatcher()) {
    anim_.AnimNotify = [this](TCustomDIBControl&, bool finished) {
        if (finished) KaStateList1.EndAnim(0);
    };
    KaStateList1.OnStart = [this](bool) {
        SeedSharedStream();
        RunStarted();
    };
    KaStateList1.OnStop = [this](bool) { Leave(); };
}

TForm_Game::~TForm_Game() {
    // The list's handlers point into the screen: nothing may run them while it goes.
    KaStateList1.OnStop = nullptr;
    KaStateList1.OnStart = nullptr;
    KaStateList1.Stop();
    anim_.AnimNotify = nullptr;
}

void TForm_Game::BuildGameBase() {
    BuildActivityBase();
    game_.Add("Tick", "Interface\\Common\\Games\\tick.png", true, true);
    game_.Add("Cross", "Interface\\Common\\Games\\cross.png", true, true);
    game_.Add("Questions", "Interface\\Common\\Games\\Questions.png", true);
    game_.Add("ScoreFront", "Interface\\Common\\Games\\ScoreFront.png", true);
    game_.Add("ScoreBack", "Interface\\Common\\Games\\ScoreBack.png", true);
    game_.LoadAutoImages(main_.folders().DataDir);

    const std::vector<ElementSpec> elements{
        {"DIBI_Questions", ElementKind::Image, {37, 45, 325, 35}, "Questions"},
        {"Label_Score", ElementKind::Label, {912, 38, 66, 55}, "", 0, 0, 4, 1, "0"},
        {"DIBI_Cross", ElementKind::Image, {959, 91, 61, 69}, "Cross", 0, efHidden},
        {"DIBI_Tick", ElementKind::Image, {959, 160, 61, 69}, "Tick", 0, efHidden},
        {"DIBI_Score",
         ElementKind::Image,
         {929, 232, kDiscSize, kDiscSize},
         "ScoreFront",
         0,
         efHidden | efStretch},
        {"Label_EndScore", ElementKind::Label, {1006, 309, 150, 150}, "", 0, efHidden},
    };
    ScreenLayout::Build(container_, &game_, elements);
    questions_ = &Element<TDIBImage>("DIBI_Questions");
    cross_ = &Element<TDIBImage>("DIBI_Cross");
    tick_ = &Element<TDIBImage>("DIBI_Tick");
    scoreDisc_ = &Element<TDIBImage>("DIBI_Score");
    scoreLabel_ = &Element<TDIBLabel>("Label_Score");
    endScoreLabel_ = &Element<TDIBLabel>("Label_EndScore");

    FontSpec scoreFont;
    scoreFont.family = "Arial";
    scoreFont.pixelHeight = 48;
    scoreLabel_->SetFont(scoreFont);
    scoreLabel_->SetFontColor(kRed);
    scoreLabel_->SetTransparent(true);
    FontSpec endFont;
    endFont.family = "Arial";
    endFont.pixelHeight = 150;
    endScoreLabel_->SetFont(endFont);
    endScoreLabel_->SetFontColor(kYellow);

    // The bar shows how far the game has come: nothing before the first question.
    fullBarWidth_ = questions_->Width();
    questions_->SetWidth(0);

    RecordButton().SetTop(688);
    PlayButton().SetVisible(true);
    PlayButton().SetEnabled(false);
    PlayButton().OnClick = [this](TCustomDIBControl&) { DIBButton_PlayClick(); };
    // The classroom manager ends a quiz; the learner cannot.
    bool quiz = main_.options().quiz;
    QuitButton().SetEnabled(!quiz);
    QuitButton().SetVisible(!quiz);
}

void TForm_Game::Bind(const std::string& state, std::function<void(int)> entry,
                      std::function<void(int)> exit) {
    auto guarded = [this](std::function<void(int)> handler) -> TKaStateEvent {
        return [this, handler](TKaTrigger, int32_t tag) {
            failedState_ = -1;
            try {
                handler(tag);
            } catch (...) {
                failedState_ = KaStateList1.CurrentIndex();
                if (!quitRequested_) throw;
                // The learner has asked to leave: what was answered is kept, and the game ends here.
                KaStateList1.Stop();
            }
        };
    };
    if (entry) KaStateList1.BindEntry(state, guarded(std::move(entry)));
    if (exit) KaStateList1.BindExit(state, guarded(std::move(exit)));
}

void TForm_Game::DIBButton_QuitClick() {
    quitRequested_ = true;
    if (!KaStateList1.Running()) {
        Leave();
        return;
    }
    if (!answered_) {
        KaStateList1.Stop();
        return;
    }
    if (KaHas(KaStateList1.Armed(), katMouseAction)) {
        KaStateList1.MouseAction(kTagQuit);
        return;
    }
    // Anywhere else the next question passes through to the score; but a state that waits for
    // something that never started would keep the learner here for good.
    if (Stuck()) KaStateList1.Stop();
}

bool TForm_Game::Stuck() const {
    if (!KaStateList1.Running()) return false;
    if (failedState_ >= 0 && failedState_ == KaStateList1.CurrentIndex()) return true;
    return KaStateList1.Armed() == 0 && !KaStateList1.InExtraTime();
}

void TForm_Game::Leave() {
    if (left_) return;
    left_ = true;
    Leaving();
    StopAnimations();
    const TGameResult result = Result();
    // Asked first: the request is posted, and the learner leaves even when the records fail.
    main_.RequestScreen(result.returnScreen, 2);
    if (!answered_) return;
    if (TRecordsStore* records = main_.records()) {
        records->StoreScore(result.topic, result.gameKind, score());
        main_.weights().SaveWeights(result.topic,
                                    [records](const std::string& key, const std::string& value) {
                                        records->WriteStudentValue(key, value);
                                    });
    }
}

void TForm_Game::BindScoreStates(int scoreSpeaker) {
    auto has = [this](const char* state) { return KaStateList1.States().Find(state) >= 0; };
    if (has("IncScore"))
        Bind(
            "IncScore", [this](int) { IncScoreEntry(); }, [this](int) { IncScoreExit(); });
    if (has("ShowScore")) Bind("ShowScore", [this](int) { ShowEndScore(score()); });
    if (has("SayScore"))
        Bind(
            "SayScore", [this, scoreSpeaker](int) { SayScore(scoreSpeaker); },
            [this](int) { SayScoreExit(); });
    if (has("WellDone")) Bind("WellDone", [this](int) { WellDoneEntry(); });
}

void TForm_Game::ShowMark(TDIBImage& mark, const TCustomDIBControl& on) {
    Rect r = CentreOn(mark.BoundsRect(), on.BoundsRect());
    mark.SetBounds(r.x, r.y, r.w, r.h);
    mark.BringToFront();
    mark.SetVisible(true);
}

void TForm_Game::NoEntry(int code) {
    SayNo(code);
    DecScore(kWrongPoints);
}

void TForm_Game::StartIncrements() {
    incrementsLeft_ = kRightPoints;
    ReportScoreChange(kRightPoints);
}

void TForm_Game::IncScoreEntry() {
    SetScore(score() + 1);
    SelectSoundFmt("%s\\common\\sounds\\bing.wav", main_.folders().InterfaceDir.c_str());
    PlaySelected();
}

void TForm_Game::IncScoreExit() {
    if (--incrementsLeft_ > 0) KaStateList1.SetNextState("IncScore");
}

void TForm_Game::NextQuestion() {
    SetQuestion(question() + 1);
    if (question() <= kQuestions) KaStateList1.SetNextState("StartQuestion");
}

void TForm_Game::WellDoneEntry() {
    try {
        SayWellDone();
    } catch (const std::exception&) {
        // No praise recording: nothing to wait for.
        KaStateList1.Next(0);
    }
}

void TForm_Game::SayScore(int code) {
    SayWord("SC", score(), code);
}

void TForm_Game::SayScoreExit() {
    if (score() < kQuestions * kRightPoints) KaStateList1.SetNextState("Finished");
}

void TForm_Game::SetQuestion(int n) {
    question_ = n;
    if (questions_) questions_->SetWidth(std::max(0, n) * fullBarWidth_ / kQuestions);
}

void TForm_Game::SetScore(int n) {
    score_ = n;
    ShowScore(n);
}

void TForm_Game::ShowScore(int score) {
    if (scoreLabel_) scoreLabel_->SetCaption(std::to_string(score));
}

void TForm_Game::DecScore(int d) {
    int old = score_;
    SetScore(d < old ? old - d : 0);
    if (score_ != old) ReportScoreChange(score_ - old);
}

void TForm_Game::ReportScoreChange(int delta) {
    if (!main_.options().quiz) return;
    quizScoreChanges_.push_back(delta);
    if (OnQuizScoreChange) OnQuizScoreChange(delta);
    if (main_.options().network) main_.network().SendQuizScore(delta);
}

void TForm_Game::ShowEndScore(int n) {
    // The number stays on the front of the disc for the rest of the screen's life.
    if (TVolatileDIB* front = game_.FindImage("ScoreFront"); front && !front->Empty()) {
        TDIBCanvas& canvas = front->Canvas();
        canvas.Font = endScoreLabel_->Font();
        canvas.Brush = BrushStyle::Clear;
        std::string text = std::to_string(n);
        TextSize size = canvas.TextExtent(text);
        int x = (front->Width() - size.width) / 2, y = (front->Height() - size.height) / 2;
        canvas.FontColor = kBlack;
        canvas.TextOut(x + 5, y + 5, text);
        canvas.FontColor = endScoreLabel_->FontColor();
        canvas.TextOut(x, y, text);
    }
    scoreDisc_->SetDIBIndex(giScoreFront);
    scoreDisc_->SetBounds(container_.Width() / 2, container_.Height() / 2, 0, 0);
    scoreDisc_->BringToFront();
    scoreDisc_->SetVisible(true);
    endDuration_ = kEndScoreMs;
    endAngle_ = kEndScoreAngle;
    anim_.AddCallbackAnim(
        endDuration_, *scoreDisc_, 0, endDuration_, [this](int t) { EndScoreTick(t); }, false);
}

void TForm_Game::EndScoreTick(int t) {
    const TVolatileDIB* front = game_.FindImage("ScoreFront");
    int w = front && !front->Empty() ? front->Width() : kDiscSize;
    int h = front && !front->Empty() ? front->Height() : kDiscSize;
    const double radians = endAngle_ * M_PI / 180.0;
    int width = t * w / endDuration_;
    double s = std::cos(radians * t / endDuration_) * (double(t * h) / endDuration_);
    int height = int(std::lround(s));
    scoreDisc_->SetDIBIndex(height < 0 ? giScoreBack : giScoreFront);
    height = std::abs(height);
    scoreDisc_->SetBounds((container_.Width() - width) / 2, (container_.Height() - height) / 2, width,
                          height);
}

} // namespace parlora
