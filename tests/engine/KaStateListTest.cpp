#include "engine/KaStateList.h"

#include "core/Errors.h"
#include "platform/Clock.h"
#include "platform/Dispatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace parlora;

namespace {

class StateListTest : public ::testing::Test {
  protected:
    FakeClock clock;
    Dispatcher dispatcher{clock, nullptr};
    TKaStateList list{dispatcher};
    std::vector<std::string> log;

    // Records every entry and exit as "+Name trigger tag" / "-Name trigger tag".
    void Define(std::initializer_list<TKaStateDef> rows) {
        std::vector<TKaStateDef> table(rows);
        list.Define(table);
        for (int i = 0; i < list.States().Count(); ++i) {
            std::string n = list.States()[i].Name();
            list.States()[i].OnEntry = [this, n](TKaTrigger t, int32_t tag) {
                log.push_back("+" + n + " " + std::to_string(int(t)) + " " + std::to_string(tag));
            };
            list.States()[i].OnExit = [this, n](TKaTrigger t, int32_t tag) {
                log.push_back("-" + n + " " + std::to_string(int(t)) + " " + std::to_string(tag));
            };
        }
        list.OnStart = [this](bool aborted) { log.push_back(aborted ? "start(true)" : "start(false)"); };
        list.OnStop = [this](bool aborted) { log.push_back(aborted ? "stop(true)" : "stop(false)"); };
    }
    void Advance(uint64_t ms) { dispatcher.advance(clock, ms); }
    using Log = std::vector<std::string>;
};

TEST_F(StateListTest, EmptyTriggersRunThroughInOneStart) {
    Define({{"A"}, {"B"}, {"C"}});
    list.Start();
    EXPECT_EQ(log, (Log{"start(false)", "+A 1 0", "-A 1 0", "+B 1 0", "-B 1 0", "+C 1 0", "-C 1 0",
                        "stop(false)"}));
    EXPECT_FALSE(list.Running());
    EXPECT_EQ(list.CurrentIndex(), -1);
}

TEST_F(StateListTest, TimerStateLeavesAfterDurationAndExtraTime) {
    Define({{"Wait", "", katTimer, 500}, {"Pause", "", katTimer, 500, 100}, {"End"}});
    list.Start();
    Advance(499);
    EXPECT_EQ(list.CurrentIndex(), 0);
    Advance(1);
    EXPECT_EQ(list.CurrentIndex(), 1);
    log.clear();
    Advance(599);
    EXPECT_EQ(list.CurrentIndex(), 1);
    EXPECT_TRUE(list.InExtraTime());
    Advance(1);
    EXPECT_EQ(log, (Log{"-Pause 2 0", "+End 2 0", "-End 2 0", "stop(false)"}));
}

TEST_F(StateListTest, ExtraTimeReportsTimerAndTagZeroAndIgnoresClicks) {
    Define({{"Ask", "", katMouseAction, 1000, 500}, {"Next", "", katMouseAction}});
    list.Start();
    list.MouseAction(7);
    EXPECT_EQ(list.CurrentIndex(), 0);
    EXPECT_EQ(list.Armed(), 0);
    list.MouseAction(8); // during the extra time: ignored
    Advance(500);
    EXPECT_EQ(list.CurrentIndex(), 1);
    EXPECT_EQ(log.back(), "+Next 2 0");
    EXPECT_EQ(log[log.size() - 2], "-Ask 2 0");
}

TEST_F(StateListTest, DeliveriesOnlyActWhenArmed) {
    Define({{"Click", "", katMouseAction}, {"Done", "", katNext | katEndPlay}, {"End", "", katEndAnim}});
    list.Start();
    list.EndPlay(1);
    list.Next(1);
    list.EndAnim(1);
    EXPECT_EQ(list.CurrentIndex(), 0);
    list.MouseAction(3);
    EXPECT_EQ(list.CurrentIndex(), 1);
    list.EndPlay(4);
    EXPECT_EQ(list.CurrentIndex(), 2);
    EXPECT_EQ(log.back(), "+End 4 4");
    list.EndRecord(1);
    list.EndMedia(1);
    EXPECT_EQ(list.CurrentIndex(), 2);
}

TEST_F(StateListTest, ExitHandlerChoosesBranchAndNextNameLoops) {
    Define({{"SayWord", "", katEndPlay}, {"Wrong", "SayWord", 0}, {"Right", "", katEndPlay}});
    int exits = 0;
    list.States()[0].OnExit = [&](TKaTrigger, int32_t) {
        if (++exits == 2) list.SetNextState("right");
    };
    list.Start();
    list.EndPlay(0);
    // Wrong passes straight back to SayWord by its NextName.
    EXPECT_EQ(list.CurrentIndex(), 0);
    list.EndPlay(0);
    EXPECT_EQ(list.CurrentState()->Name(), "Right");
}

TEST_F(StateListTest, EntryHandlerSetNextStateChangesSuccessor) {
    Define({{"A", "", katNext}, {"B", "", katNext}, {"C", "", katNext}});
    list.States()[0].OnEntry = [&](TKaTrigger, int32_t) { list.SetNextState("C"); };
    list.Start();
    list.Next(0);
    EXPECT_EQ(list.CurrentState()->Name(), "C");
}

TEST_F(StateListTest, StopAndRestartReportOnce) {
    Define({{"A", "", katEndPlay}});
    list.Start();
    log.clear();
    list.Start();
    EXPECT_EQ(log, (Log{"stop(true)", "start(false)", "+A 1 0"}));
    log.clear();
    list.Stop();
    list.Stop();
    EXPECT_EQ(log, (Log{"stop(true)"}));
    list.EndPlay(0); // idle: ignored
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(StateListTest, StopKillsPendingTimer) {
    Define({{"A", "", katTimer, 300}, {"B"}});
    list.Start();
    list.Stop();
    log.clear();
    Advance(1000);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(dispatcher.msToNextTimer(), -1);
}

TEST_F(StateListTest, DisarmingEntryPassesThroughWithEntryTriggerAndTag) {
    Define({{"A", "", katEndPlay}, {"Skip", "", katMouseAction}, {"C", "", katEndPlay}});
    list.States()[1].OnEntry = [&](TKaTrigger, int32_t) { list.ArmTriggers(0); };
    list.Start();
    log.clear();
    list.EndPlay(42);
    EXPECT_EQ(log, (Log{"-A 4 42", "-Skip 4 42", "+C 4 42"}));
}

TEST_F(StateListTest, ArmTriggersWithTimerUsesDuration) {
    Define({{"A", "", katEndPlay, 250}, {"B", "", katEndPlay}});
    list.States()[0].OnEntry = [&](TKaTrigger, int32_t) { list.ArmTriggers(katTimer | katEndPlay); };
    list.Start();
    Advance(250);
    EXPECT_EQ(list.CurrentIndex(), 1);
}

TEST_F(StateListTest, NestedNextInEntryHandlerLeavesWellDoneState) {
    Define({{"WellDone", "", katNext | katEndPlay}, {"Finished"}});
    list.States()[0].OnEntry = [&](TKaTrigger, int32_t) { list.Next(0); };
    list.Start();
    EXPECT_FALSE(list.Running());
    EXPECT_EQ(log.back(), "stop(false)");
}

TEST_F(StateListTest, NestedDeliveryIntoExtraTimeKeepsThePause) {
    Define({{"A", "", katNext, 1000, 500}, {"B", "", katEndPlay}});
    list.States()[0].OnEntry = [&](TKaTrigger, int32_t) { list.Next(5); };
    list.Start();
    EXPECT_EQ(list.CurrentIndex(), 0);
    EXPECT_TRUE(list.InExtraTime());
    Advance(499);
    EXPECT_EQ(list.CurrentIndex(), 0);
    Advance(1);
    EXPECT_EQ(list.CurrentIndex(), 1);
}

TEST_F(StateListTest, PauseStateWithExtraTimeOnly) {
    Define({{"Pause", "", 0, 1000, 500}, {"B", "", katEndPlay}});
    list.Start();
    EXPECT_EQ(list.CurrentIndex(), 0);
    Advance(500);
    EXPECT_EQ(list.CurrentIndex(), 1);
}

TEST_F(StateListTest, RestartAfterStopDuringExtraTimeKeepsExtraTime) {
    Define({{"A", "", katEndPlay, 1000, 500}, {"B", "", katEndPlay}});
    list.Start();
    list.EndPlay(0);
    ASSERT_TRUE(list.InExtraTime());
    list.Start();
    list.EndPlay(0);
    EXPECT_EQ(list.CurrentIndex(), 0);
    Advance(500);
    EXPECT_EQ(list.CurrentIndex(), 1);
}

TEST_F(StateListTest, NamesAndErrors) {
    Define({{"SayWord"}, {""}, {""}});
    EXPECT_EQ(list.IndexOfState("SAYWORD"), 0);
    try {
        list.States()[1].SetName("sayword");
        FAIL();
    } catch (const SLException& e) {
        EXPECT_STREQ(e.what(), "Name sayword is already in use");
    }
    EXPECT_EQ(list.States()[1].Name(), "");
    EXPECT_EQ(list.States()[1].DisplayName(), "(unnamed)");
    try {
        list.SetNextState("Nowhere");
        FAIL();
    } catch (const SLException& e) {
        EXPECT_STREQ(e.what(), "Can't find state Nowhere");
    }
    EXPECT_THROW(list.BindEntry("Missing", nullptr), SLException);
}

TEST_F(StateListTest, BadNextNameFailsBeforeOnStart) {
    Define({{"A", "Gone"}});
    EXPECT_THROW(list.Start(), SLException);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(list.Running());
    list.Define({});
    EXPECT_THROW(list.Start(), SLException);
}

TEST_F(StateListTest, FailingHandlersLeaveTheListWhereItWas) {
    Define({{"A", "", katEndPlay}, {"B", "", katEndPlay}});
    list.States()[1].OnEntry = [](TKaTrigger, int32_t) { throw std::runtime_error("entry"); };
    list.Start();
    EXPECT_THROW(list.EndPlay(0), std::runtime_error);
    EXPECT_EQ(list.CurrentIndex(), 1);
    EXPECT_EQ(list.Armed(), katEndPlay);
    list.States()[1].OnExit = [](TKaTrigger, int32_t) { throw std::runtime_error("exit"); };
    EXPECT_THROW(list.EndPlay(0), std::runtime_error);
    EXPECT_EQ(list.Armed(), 0);
    EXPECT_TRUE(list.Running());
}

TEST_F(StateListTest, TraceListsEnteredStates) {
    TKaTrace trace;
    list.Trace = &trace;
    Define({{"Intro"}, {""}, {"Wait", "", katEndPlay}});
    list.Start();
    EXPECT_EQ(trace.Lines, (std::vector<std::string>{"0 - Intro", "1 - (unnamed)", "2 - Wait"}));
    EXPECT_EQ(trace.ItemIndex, 2);
}

TEST_F(StateListTest, AssignedStatesAreIndependentCopies) {
    Define({{"A", "B", katEndPlay, 400, 100}, {"B"}});
    TKaStates copy;
    copy.Assign(list.States());
    list.States()[0].Duration = 1;
    EXPECT_EQ(copy[0].Name(), "A");
    EXPECT_EQ(copy[0].NextName, "B");
    EXPECT_EQ(copy[0].Triggers, katEndPlay);
    EXPECT_EQ(copy[0].Duration, 400u);
    EXPECT_EQ(copy[0].ExtraTime, 100u);
    EXPECT_TRUE(bool(copy[0].OnEntry));
}

} // namespace
