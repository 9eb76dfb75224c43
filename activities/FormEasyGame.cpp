#include "activities/FormEasyGame.h"

#include "core/Errors.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "shell/FormMain.h"
#include "shell/TextUtils.h"

#include <cctype>

namespace parlora {

TForm_EasyGame::TForm_EasyGame(TForm_Main& main, std::string className, TEasyGameTopic topic)
    : TForm_Game(main, std::move(className)), topic_(std::move(topic)) {
    fullPool_ = FullPool(topic_.itemCount, topic_.excluded);
    KaStateList1.OnStart = [this](bool aborted) { KaStateList1Start(aborted); };
    KaStateList1.OnStop = [this](bool aborted) { KaStateList1Stop(aborted); };
}

std::string TForm_EasyGame::FullPool(int itemCount, const std::string& excluded) {
    std::vector<int> items;
    // A group that is not a number leaves nothing out.
    for (size_t i = 0; i + 1 < excluded.size(); i += 2)
        if (std::isdigit((unsigned char)excluded[i]) && std::isdigit((unsigned char)excluded[i + 1]))
            items.push_back((excluded[i] - '0') * 10 + (excluded[i + 1] - '0'));
    return BuildItemList(itemCount, items);
}

int TForm_EasyGame::askedItem(int question) const {
    return question >= 1 && question <= kQuestions ? asked_[size_t(question)] : 0;
}

void TForm_EasyGame::Bind(const std::string& state, std::function<void(int)> entry,
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

void TForm_EasyGame::Start() {
    container_.InvalidateAll();
    ShowStartSpeakers();
    KaStateList1.Start();
}

void TForm_EasyGame::DIBButton_HelpClick() {
    main_.ShowHelpPicture(topic_.help);
}

void TForm_EasyGame::DIBButton_QuitClick() {
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
    // Anywhere else the next question passes through to the score; but a state that waits for a
    // sound that never started would keep the learner here for good.
    if (Stuck()) KaStateList1.Stop();
}

bool TForm_EasyGame::Stuck() const {
    if (!KaStateList1.Running()) return false;
    if (failedState_ >= 0 && failedState_ == KaStateList1.CurrentIndex()) return true;
    return KaStateList1.Armed() == 0 && !KaStateList1.InExtraTime();
}

void TForm_EasyGame::KaStateList1Start(bool) {
    if (main_.options().quiz)
        main_.random().SeedShared(uint32_t(main_.networkStartValue()));
    else
        main_.random().SeedSharedFromClock(main_.platform().clock());
    targetPool_ = fullPool_;
    asked_.fill(0);
    SetScore(0);
    SetQuestion(1);
}

void TForm_EasyGame::KaStateList1Stop(bool) {
    if (left_) return;
    left_ = true;
    StopAnimations();
    // Asked first: the request is posted, and the learner leaves even when the records fail.
    main_.RequestScreen(topic_.returnCode, 2);
    if (answered_) {
        if (TRecordsStore* records = main_.records()) {
            records->StoreScore(topic_.topic, 2, score());
            main_.weights().SaveWeights(topic_.topic,
                                        [records](const std::string& key, const std::string& value) {
                                            records->WriteStudentValue(key, value);
                                        });
        }
    }
}

void TForm_EasyGame::StartQuestion() {
    if (targetPool_.size() < 2) targetPool_ = fullPool_;
    distractorPool_ = fullPool_;
    TRandomStreams& random = main_.random();
    targetPosition_ = random.SharedRandom(4) + 1;
    targetItem_ = main_.weights().WeightedChop(targetPool_, topic_.topic, main_.options().quiz, random);
    recorded_ = false;
    for (size_t i = 0; i + 1 < distractorPool_.size(); i += 2)
        if (std::stoi(distractorPool_.substr(i, 2)) == targetItem_) {
            TakeChunkAt(distractorPool_, int(i) + 1, 2);
            break;
        }
    step_ = 0;
    if (question() >= 1 && question() <= kQuestions) asked_[size_t(question())] = targetItem_;
}

int TForm_EasyGame::PresentedItem() {
    int s = step_ + 1;
    if (s == targetPosition_) return targetItem_;
    return TakeRandomInt(distractorPool_, 2, main_.random());
}

void TForm_EasyGame::SayWordEntry() {
    if (quitRequested_) {
        // Passing through to the score: the question's own moves would otherwise end the score
        // disc's wait the moment they finish.
        anim_.StopAnims();
        KaStateList1.ArmTriggers(0);
        return;
    }
    SayAndRemember(topic_.prefix, currentWord_, QuestionSpeaker());
}

void TForm_EasyGame::SayWordExit(int tag) {
    StopAllSounds();
    if (quitRequested_ || tag == kTagQuit) {
        KaStateList1.SetNextState("ShowScore");
    } else if (tag == kTagAgain) {
        KaStateList1.SetNextState("SayWord");
    } else if (tag == kTagMale || tag == kTagFemale) {
        // The other speaker than the one remembered is the one clicked.
        ResolveSpeaker(tag == kTagMale ? kFemale : kMale);
        KaStateList1.SetNextState("SayWord");
    } else {
        answered_ = true;
        clicked_ = tag;
        if (ItemAtTag(tag) == targetItem_) KaStateList1.SetNextState("Right");
    }
}

void TForm_EasyGame::WrongEntry(int wordCode) {
    if (!recorded_) {
        main_.weights().IncreaseWeight(topic_.topic, targetItem_);
        recorded_ = true;
    }
    TDIBImage& cross = CrossImage();
    Rect r = CentreOn(cross.BoundsRect(), AnswerElement(clicked_).BoundsRect());
    cross.SetBounds(r.x, r.y, r.w, r.h);
    cross.BringToFront();
    cross.SetVisible(true);
    SayWord(topic_.prefix, ItemAtTag(clicked_), wordCode);
}

void TForm_EasyGame::NoEntry(int code) {
    SayNo(code);
    DecScore(kWrongPoints);
}

void TForm_EasyGame::RightEntry(int code) {
    if (!recorded_) {
        main_.weights().DecreaseWeight(topic_.topic, targetItem_);
        recorded_ = true;
    }
    PlayButton().SetEnabled(false);
    currentWord_ = 0;
    TDIBImage& tick = TickImage();
    Rect r = CentreOn(tick.BoundsRect(), AnswerElement(clicked_).BoundsRect());
    tick.SetBounds(r.x, r.y, r.w, r.h);
    tick.BringToFront();
    tick.SetVisible(true);
    SayYes(code);
}

void TForm_EasyGame::StartIncrements() {
    incrementsLeft_ = kRightPoints;
    ReportScoreChange(kRightPoints);
}

void TForm_EasyGame::IncScoreEntry() {
    SetScore(score() + 1);
    SelectSoundFmt("%s\\common\\sounds\\bing.wav", main_.folders().InterfaceDir.c_str());
    PlaySelected();
}

void TForm_EasyGame::IncScoreExit() {
    if (--incrementsLeft_ > 0) KaStateList1.SetNextState("IncScore");
}

void TForm_EasyGame::NextQuestion() {
    SetQuestion(question() + 1);
    if (question() <= kQuestions) KaStateList1.SetNextState("StartQuestion");
}

void TForm_EasyGame::WellDoneEntry() {
    try {
        SayWellDone();
    } catch (const std::exception&) {
        // No praise recording: nothing to wait for.
        KaStateList1.Next(0);
    }
}

void TForm_EasyGame::SayScore(int code) {
    SayWord("SC", score(), code);
}

void TForm_EasyGame::SayScoreExit() {
    if (score() < kQuestions * kRightPoints) KaStateList1.SetNextState("Finished");
}

} // namespace parlora
