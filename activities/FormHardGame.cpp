#include "activities/FormHardGame.h"

#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

namespace parlora {

TForm_HardGame::TForm_HardGame(TForm_Main& main, std::string className, THardGameTopic topic)
    : TForm_Game(main, std::move(className)), topic_(std::move(topic)) {
    KaStateList1.OnStart = [this](bool aborted) { KaStateList1Start(aborted); };
    KaStateList1.OnStop = [this](bool aborted) { KaStateList1Stop(aborted); };
}

int TForm_HardGame::askedItem(int question) const {
    return question >= 1 && question <= kQuestions ? asked_[size_t(question)] : 0;
}

void TForm_HardGame::Bind(const std::string& state, std::function<void(int)> entry,
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

void TForm_HardGame::Start() {
    container_.InvalidateAll();
    ShowStartSpeakers();
    KaStateList1.Start();
}

void TForm_HardGame::DIBButton_HelpClick() {
    main_.ShowHelpPicture(topic_.help);
}

void TForm_HardGame::DIBButton_QuitClick() {
    quitRequested_ = true;
    if (!KaStateList1.Running()) {
        KaStateList1Stop(true);
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

bool TForm_HardGame::Stuck() const {
    if (!KaStateList1.Running()) return false;
    if (failedState_ >= 0 && failedState_ == KaStateList1.CurrentIndex()) return true;
    return KaStateList1.Armed() == 0 && !KaStateList1.InExtraTime();
}

void TForm_HardGame::KaStateList1Start(bool) {
    if (main_.options().quiz)
        main_.random().SeedShared(uint32_t(main_.networkStartValue()));
    else
        main_.random().SeedSharedFromClock(main_.platform().clock());
    asked_.fill(0);
    SetScore(0);
    SetQuestion(1);
    StartPools();
}

void TForm_HardGame::KaStateList1Stop(bool) {
    if (left_) return;
    left_ = true;
    StopAnimations();
    // Asked first: the request is posted, and the learner leaves even when the records fail.
    main_.RequestScreen(topic_.returnCode, 2);
    if (answered_) {
        if (TRecordsStore* records = main_.records()) {
            records->StoreScore(topic_.topic, kGameKind, score());
            main_.weights().SaveWeights(topic_.topic,
                                        [records](const std::string& key, const std::string& value) {
                                            records->WriteStudentValue(key, value);
                                        });
        }
    }
}

void TForm_HardGame::BeginQuestion(int item, int position) {
    targetItem_ = item;
    targetPosition_ = position;
    recorded_ = false;
    if (question() >= 1 && question() <= kQuestions) asked_[size_t(question())] = item;
}

bool TForm_HardGame::PassThroughQuestion() {
    if (!quitRequested_) return false;
    KaStateList1.ArmTriggers(0);
    return true;
}

void TForm_HardGame::AskWord(int speaker) {
    currentWord_ = targetItem_;
    PlayButton().SetEnabled(true);
    SayAndRemember(topic_.prefix, targetItem_, speaker);
}

void TForm_HardGame::SayWordExit(int tag) {
    StopAllSounds();
    if (quitRequested_ || tag == kTagQuit) {
        KaStateList1.SetNextState("ShowScore");
    } else if (tag == kTagAgain) {
        KaStateList1.SetNextState(questionState_);
    } else if (tag == kTagMale || tag == kTagFemale) {
        // Remembering the other one makes "the other speaker" the one clicked.
        ResolveSpeaker(tag == kTagMale ? kFemale : kMale);
        KaStateList1.SetNextState(questionState_);
    } else {
        answered_ = true;
        clicked_ = tag;
        if (IsRightAnswer(tag)) KaStateList1.SetNextState("Right");
    }
}

void TForm_HardGame::WrongEntry(bool withCross, int wordCode) {
    if (!recorded_) {
        main_.weights().IncreaseWeight(topic_.topic, targetItem_);
        recorded_ = true;
    }
    if (withCross) {
        TDIBImage& cross = CrossImage();
        Rect r = CentreOn(cross.BoundsRect(), AnswerElement(clicked_).BoundsRect());
        cross.SetBounds(r.x, r.y, r.w, r.h);
        cross.BringToFront();
        cross.SetVisible(true);
    }
    SayWord(topic_.prefix, ItemAtPosition(clicked_), wordCode);
}

void TForm_HardGame::NoEntry(int code) {
    SayNo(code);
    DecScore(kWrongPoints);
}

void TForm_HardGame::RightEntry(bool withTick, int code) {
    MarkRight(withTick);
    SayYes(code);
}

void TForm_HardGame::MarkRight(bool withTick) {
    if (!recorded_) {
        main_.weights().DecreaseWeight(topic_.topic, targetItem_);
        recorded_ = true;
    }
    PlayButton().SetEnabled(false);
    currentWord_ = 0;
    if (withTick) {
        TDIBImage& tick = TickImage();
        Rect r = CentreOn(tick.BoundsRect(), AnswerElement(clicked_).BoundsRect());
        tick.SetBounds(r.x, r.y, r.w, r.h);
        tick.BringToFront();
        tick.SetVisible(true);
    }
}

void TForm_HardGame::StartIncrements() {
    incrementsLeft_ = kRightPoints;
    ReportScoreChange(kRightPoints);
}

void TForm_HardGame::IncScoreEntry() {
    SetScore(score() + 1);
    SelectSoundFmt("%s\\common\\sounds\\bing.wav", main_.folders().InterfaceDir.c_str());
    PlaySelected();
}

void TForm_HardGame::IncScoreExit() {
    if (--incrementsLeft_ > 0) KaStateList1.SetNextState("IncScore");
}

void TForm_HardGame::NextQuestion() {
    SetQuestion(question() + 1);
    if (question() <= kQuestions) KaStateList1.SetNextState("StartQuestion");
}

void TForm_HardGame::WellDoneEntry() {
    try {
        SayWellDone();
    } catch (const std::exception&) {
        // No praise recording: nothing to wait for.
        KaStateList1.Next(0);
    }
}

void TForm_HardGame::SayScoreEntry(int code) {
    SayWord("SC", score(), code);
}

void TForm_HardGame::SayScoreExit() {
    if (score() < kQuestions * kRightPoints) KaStateList1.SetNextState("Finished");
}

} // namespace parlora
