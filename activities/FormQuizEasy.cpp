#include "activities/FormQuizEasy.h"

#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"

namespace parlora {
namespace {

const TKaStateDef kStates[] = {
    {"StartGame", "", katTimer, 1000},
    {"StartRound", "", katTimer, 500},
    {"DealCard", "", katEndAnim},
    {"SayWord", "", katEndPlay},
    {"StartSpread", "", katTimer, 1000},
    {"SelectWord"},
    {"SaySelected", "", katEndPlay},
    {"WaitUser", "", katMouseAction},
    {"WrongSpeak", "", katEndPlay},
    {"WrongShake", "", katEndAnim},
    {"WrongScore", "SaySelected"},
    {"RightNod", "", katEndAnim},
    {"RightScore", "", katEndPlay},
    {"NextCard", "", katEndAnim},
    {"Undeal"},
    {"UndealCard", "", katTimer, 100, 100},
    {"ShowScore", "", katEndAnim},
    {"SayScore", "", katEndPlay},
    {"WellDone", "", katNext | katEndPlay},
    {"Finished"},
};

} // namespace

TForm_QuizEasy::TForm_QuizEasy(TForm_Main& main) : TForm_Quiz(main, "TForm_QuizEasy", kGameKind, 8) {
    DefineStates();
}

void TForm_QuizEasy::Configure(int category) {
    ConfigureCategory(category);
}

void TForm_QuizEasy::DefineStates() {
    KaStateList1.Define(kStates);
    Bind("StartGame", [this](int) {
        SetScore(0);
        count_ = 2;
    });
    Bind("StartRound", {}, [this](int) { StartRoundExit(); });
    Bind(
        "DealCard", [this](int) { DealEntry(); }, [this](int) { DealExit(); });
    Bind(
        "SayWord", [this](int) { SayCard(index_); },
        [this](int) {
            StopTalking();
            if (++index_ <= count_) KaStateList1.SetNextState("DealCard");
        });
    Bind("StartSpread", [this](int) { index_ = 1; });
    Bind("SelectWord", [this](int) { SelectWord(); });
    Bind(
        "SaySelected", [this](int) { SayCard(selected_); }, [this](int) { StopTalking(); });
    Bind(
        "WaitUser",
        [this](int) {
            if (quitRequested_)
                KaStateList1.ArmTriggers(0);
            else
                BeginWait();
        },
        [this](int tag) { WaitUserExit(tag); });
    Bind(
        "WrongSpeak", [this](int) { WrongSpeakEntry(); }, [this](int) { StopTalking(); });
    Bind(
        "WrongShake", [this](int) { WrongShakeEntry(); }, [this](int) { CrossImage().SetVisible(false); });
    Bind("WrongScore", [this](int) { DecScore(1); });
    Bind(
        "RightNod", [this](int) { RightNodEntry(); }, [this](int) { TickImage().SetVisible(false); });
    Bind("RightScore", [this](int) {
        SetScore(score() + 1);
        ReportScoreChange(1);
        RightScoreEntry();
    });
    Bind(
        "NextCard", [this](int) { TurnSelectedDown(); }, [this](int) { NextCardExit(); });
    Bind("Undeal", [this](int) { index_ = 1; });
    Bind(
        "UndealCard", [this](int) { UndealEntry(); },
        [this](int) {
            if (UndealExit(true)) {
                KaStateList1.SetNextState("UndealCard");
                return;
            }
            if (++count_ <= kLastRound) KaStateList1.SetNextState("StartRound");
        });
    Bind("ShowScore", [this](int) { ShowEndScore(score()); });
    Bind(
        "SayScore", [this](int) { SayScoreEntry(false); },
        [this](int) {
            if (score() < kBestScore) KaStateList1.SetNextState("Finished");
        });
    Bind("WellDone", [this](int) { WellDoneEntry(); });
}

void TForm_QuizEasy::WaitUserExit(int tag) {
    EndWait();
    if (quitRequested_ || tag == kTagQuit) {
        KaStateList1.SetNextState("ShowScore");
    } else if (tag == kTagAgain) {
        KaStateList1.SetNextState("SaySelected");
    } else if (tag >= 1 && tag <= kPlaces) {
        answered_ = true;
        clicked_ = tag;
        if (tag == selected_) KaStateList1.SetNextState("RightNod");
    } else {
        KaStateList1.SetNextState("SaySelected");
    }
}

} // namespace parlora
