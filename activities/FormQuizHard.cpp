#include "activities/FormQuizHard.h"

#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"
#include "shell/FormMain.h"

#include <algorithm>

namespace parlora {
namespace {

const TKaStateDef kStates[] = {
    {"StartGame", "", katTimer, 1000},
    {"StartRound", "", katTimer, 500},
    {"DealCard", "", katEndAnim},
    {"Deal2", "", katTimer, 300},
    {"Pause", "", katEndAnim},
    {"TurnCard", "", katEndAnim},
    {"StartSpread", "", katTimer, 1000},
    {"SelectWord"},
    {"SaySelected", "", katEndPlay},
    {"WaitUser", "", katMouseAction | katEndAnim},
    {"TurnAgain", "", katEndAnim},
    {"WrongSpeak", "", katEndPlay},
    {"WrongShake", "", katEndAnim},
    {"WrongScore", "SaySelected"},
    {"Timeout", "Undeal", katEndPlay},
    {"RightNod", "", katEndAnim},
    {"RightScore", "", katEndPlay},
    {"NextCard"},
    {"Undeal"},
    {"UndealCard", "", katTimer, 100, 100},
    {"ChangeGame", "StartRound", katEndPlay},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay},
    {"WellDone", "", katNext | katEndPlay},
    {"Finished"},
};

} // namespace

TForm_QuizHard::TForm_QuizHard(TForm_Main& main) : TForm_Quiz(main, "TForm_QuizHard", kGameKind, 9) {
    DefineStates();
}

void TForm_QuizHard::Configure(int category, int startCount, int switchCount) {
    // The table has eleven places: sizes outside them could only index cards that do not exist.
    startCount_ = std::clamp(startCount, 1, kPlaces);
    switchCount_ = switchCount;
    reveal_ = main_.settings().Cheat;
    ConfigureCategory(category);
}

void TForm_QuizHard::TurnDown(int place) {
    TakeUp(place);
    if (!reveal_) Picture(place).SetVisible(false);
    TurnCard(place, 300, false);
}

void TForm_QuizHard::DefineStates() {
    KaStateList1.Define(kStates);
    Bind("StartGame", [this](int) {
        SetScore(0);
        speed_ = false;
        count_ = startCount_;
    });
    Bind("StartRound", {}, [this](int) { StartRoundExit(); });
    Bind(
        "DealCard", [this](int) { DealEntry(); }, [this](int) { DealExit(); });
    Bind("Deal2", {}, [this](int) {
        if (++index_ <= count_)
            KaStateList1.SetNextState("DealCard");
        else if (speed_)
            KaStateList1.SetNextState("StartSpread");
    });
    Bind(
        "Pause",
        [this](int) {
            // The open sector closes over one second a card while the learner looks.
            anim_.AddCallbackAnim(
                count_ * 1000, Element<TDIBImage>("DIBI_Cover"), discAngle_, 0,
                [this](int v) { DrawDisc(v); }, false);
        },
        [this](int) { index_ = 1; });
    Bind(
        "TurnCard",
        [this](int) {
            TakeUp(index_);
            if (!reveal_) Picture(index_).SetVisible(false);
            TurnCard(index_, 100, false);
        },
        [this](int) {
            PutDown(index_);
            if (++index_ <= count_) KaStateList1.SetNextState("TurnCard");
        });
    Bind("StartSpread", [this](int) { index_ = 1; });
    Bind("SelectWord", [this](int) { SelectWord(); });
    Bind(
        "SaySelected", [this](int) { SayCard(selected_); }, [this](int) { StopTalking(); });
    Bind(
        "WaitUser", [this](int) { WaitUserEntry(); }, [this](int tag) { WaitUserExit(tag); });
    Bind(
        "TurnAgain",
        [this](int) {
            PlayClick();
            TakeUp(clicked_);
            TurnCard(clicked_, 300, true);
        },
        [this](int) {
            Picture(clicked_).SetVisible(true);
            PutDown(clicked_);
            if (clicked_ == selected_) KaStateList1.SetNextState("RightNod");
        });
    Bind(
        "WrongSpeak", [this](int) { WrongSpeakEntry(); }, [this](int) { StopTalking(); });
    Bind(
        "WrongShake", [this](int) { WrongShakeEntry(); }, [this](int) { CrossImage().SetVisible(false); });
    Bind(
        "WrongScore",
        [this](int) {
            DecScore(1);
            if (speed_) return;
            PlayClick();
            TurnDown(clicked_);
            KaStateList1.ArmTriggers(katEndAnim);
        },
        [this](int) { PutDown(clicked_); });
    Bind("Timeout", [this](int) { PlayInterfaceSound("memory\\hard\\gong.wav"); });
    Bind(
        "RightNod", [this](int) { RightNodEntry(); }, [this](int) { TickImage().SetVisible(false); });
    Bind("RightScore", [this](int) {
        ReportScoreChange(1);
        SetScore(score() + 1);
        RightScoreEntry();
    });
    Bind(
        "NextCard",
        [this](int) {
            // In a memory round the found card stays face up; in a speed round it goes.
            if (!speed_) return;
            TurnSelectedDown();
            KaStateList1.ArmTriggers(katEndAnim);
        },
        [this](int) { NextCardExit(); });
    Bind("Undeal", [this](int) { index_ = 1; });
    Bind(
        "UndealCard", [this](int) { UndealEntry(); },
        [this](int) {
            // Only the tiles go: the disc keeps the angle the clock left.
            if (UndealExit(false)) {
                KaStateList1.SetNextState("UndealCard");
                return;
            }
            ++count_;
            if (count_ >= kEndCount)
                KaStateList1.SetNextState("ShowScore");
            else if (count_ != switchCount_)
                KaStateList1.SetNextState("StartRound");
        });
    Bind("ChangeGame", [this](int) {
        speed_ = true;
        PlayInterfaceSound("memory\\hard\\dingding.wav");
    });
    Bind("ShowScore", [this](int) { ShowEndScore(score()); });
    Bind(
        "SayScore", [this](int) { SayScoreEntry(score() > kApplauseAbove); },
        [this](int) {
            if (score() < kBestScore) KaStateList1.SetNextState("Finished");
        });
    Bind("WellDone", [this](int) { WellDoneEntry(); });
}

void TForm_QuizHard::WaitUserEntry() {
    if (quitRequested_) {
        KaStateList1.ArmTriggers(0);
        return;
    }
    BeginWait([this] {
        if (!speed_) return;
        // The round's clock goes on from where it stood: the disc closes at 31 degrees a second.
        const int angle = std::max(0, discAngle_);
        anim_.AddCallbackAnim(
            std::max(1, ClockMs(angle)), Element<TDIBImage>("DIBI_Cover"), angle, 0,
            [this](int v) { DrawDisc(v); }, false);
    });
}

void TForm_QuizHard::WaitUserExit(int tag) {
    EndWait();
    if (quitRequested_ || tag == kTagQuit) {
        KaStateList1.SetNextState("ShowScore");
    } else if (tag == kTagClock) {
        KaStateList1.SetNextState("Timeout");
    } else if (tag >= 1 && tag <= kPlaces) {
        answered_ = true;
        clicked_ = tag;
        if (speed_) KaStateList1.SetNextState(tag == selected_ ? "RightNod" : "WrongSpeak");
    } else {
        KaStateList1.SetNextState("SaySelected");
    }
}

} // namespace parlora
