// The headless script runner on a bare dispatcher: the input events each command produces, when in
// virtual time they arrive, and where a script stands when the program ends before it.
#include "platform/Dispatcher.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace parlora;

namespace {

using Kind = InputEvent::Kind;

struct Seen {
    Kind kind;
    int x, y;
    uint64_t atMs; // since the script started
    MouseButton button;
};

bool operator==(const Seen& a, const Seen& b) {
    return a.kind == b.kind && a.x == b.x && a.y == b.y && a.atMs == b.atMs && a.button == b.button;
}

std::ostream& operator<<(std::ostream& os, const Seen& s) {
    static const char* names[] = {"down", "up", "move", "keydown", "keyup", "text", "close"};
    return os << names[int(s.kind)] << " " << s.x << "," << s.y << " at " << s.atMs << " ms";
}

Seen Move(int x, int y, uint64_t at) {
    return {Kind::MouseMove, x, y, at, MouseButton::Left};
}
Seen Down(int x, int y, uint64_t at) {
    return {Kind::MouseDown, x, y, at, MouseButton::Left};
}
Seen Up(int x, int y, uint64_t at) {
    return {Kind::MouseUp, x, y, at, MouseButton::Left};
}

struct ScriptRun : ::testing::Test {
    HeadlessPlatform platform;
    Dispatcher dispatcher{platform.clock(), &platform};
    uint64_t startMs = platform.fakeClock().nowMs();
    std::vector<Seen> seen;
    // What the program does with each event after it has been recorded; may end the program.
    std::function<void(const InputEvent&)> onInput;

    ScriptRun() {
        platform.attach(dispatcher);
        dispatcher.setInputHandler([this](const InputEvent& e) {
            seen.push_back({e.kind, e.x, e.y, platform.fakeClock().nowMs() - startMs, e.button});
            if (onInput) onInput(e);
        });
    }
    uint64_t Now() { return platform.fakeClock().nowMs() - startMs; }
    int Run(std::vector<std::string> lines) {
        platform.setScriptLines(std::move(lines));
        dispatcher.run();
        return dispatcher.exitCode();
    }
};

TEST_F(ScriptRun, DownAndUpMoveThereFirstAndHoldTheLeftButtonInBetween) {
    EXPECT_EQ(Run({"down 10 20", "wait 300", "up 30 40"}), 0);
    EXPECT_EQ(seen,
              (std::vector<Seen>{Move(10, 20, 0), Down(10, 20, 0), Move(30, 40, 300), Up(30, 40, 300)}));
    EXPECT_FALSE(platform.scriptFailed());
    EXPECT_EQ(platform.lineNotRun(), 0u);
}

TEST_F(ScriptRun, DragMovesInStepsOfVirtualTimeBeforeTheNextLine) {
    // A timer half-way through sees the pointer on its way, not at either end.
    std::vector<Seen> atTimer;
    dispatcher.setTimer(50, false, [&] { atTimer = seen; });
    EXPECT_EQ(Run({"drag 100 200 200 100 100", "move 5 5"}), 0);
    EXPECT_EQ(seen, (std::vector<Seen>{Move(100, 200, 0), Down(100, 200, 0), Move(120, 180, 20),
                                       Move(140, 160, 40), Move(160, 140, 60), Move(180, 120, 80),
                                       Move(200, 100, 100), Up(200, 100, 100), Move(5, 5, 100)}));
    ASSERT_FALSE(atTimer.empty());
    EXPECT_EQ(atTimer.back(), Move(140, 160, 40));
}

TEST_F(ScriptRun, DragOfNoTimeMovesOnceAndUnevenTimesShareTheWay) {
    EXPECT_EQ(Run({"drag 1 2 3 4 0", "drag 0 0 -30 60 30"}), 0);
    EXPECT_EQ(seen,
              (std::vector<Seen>{Move(1, 2, 0), Down(1, 2, 0), Move(3, 4, 0), Up(3, 4, 0), Move(0, 0, 0),
                                 Down(0, 0, 0), Move(-15, 30, 15), Move(-30, 60, 30), Up(-30, 60, 30)}));
}

TEST_F(ScriptRun, LongDragMovesLessOftenButTakesItsWholeTime) {
    EXPECT_EQ(Run({"drag 0 0 1000 0 60000"}), 0);
    // A move at least every 200 ms, but no more than 500 of them.
    ASSERT_GE(seen.size(), 60000u / 200 + 3);
    EXPECT_LE(seen.size(), 503u);
    for (size_t i = 3; i + 1 < seen.size(); ++i) {
        EXPECT_GT(seen[i].atMs, seen[i - 1].atMs) << i;
        EXPECT_LE(seen[i].atMs - seen[i - 1].atMs, 200u) << i;
        EXPECT_GE(seen[i].x, seen[i - 1].x) << i;
    }
    EXPECT_EQ(seen.back(), Up(1000, 0, 60000));
}

TEST_F(ScriptRun, MalformedMouseLinesFailNamingTheirLine) {
    for (const char* bad : {"down 1", "down a b", "up 1 2 3", "up", "drag 1 2 3 4", "drag 1 2 3 4 -1",
                            "drag 1 2 3 4 5 6", "drag 1 2 3 4 x", "drag 1 2 3 4 99999999999"}) {
        HeadlessPlatform p;
        Dispatcher d{p.clock(), &p};
        p.attach(d);
        int events = 0;
        d.setInputHandler([&](const InputEvent&) { ++events; });
        p.setScriptLines({"# first", "move 1 1", bad, "move 2 2"});
        testing::internal::CaptureStderr();
        d.run();
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(d.exitCode(), 1) << bad;
        EXPECT_TRUE(p.scriptFailed()) << bad;
        std::string command = std::string(bad).substr(0, std::string(bad).find(' '));
        EXPECT_NE(err.find("script line 3 failed: " + command + " needs X"), std::string::npos) << err;
        EXPECT_NE(err.find(bad), std::string::npos) << err;
        EXPECT_EQ(events, 1) << bad << ": only the line before it";
        EXPECT_EQ(p.lineNotRun(), 0u) << "a failure is reported as such";
    }
}

TEST_F(ScriptRun, ProgramEndingWithOnlyCommentsLeftHasRunTheScript) {
    // (999, 999) stands for the course's exit button.
    onInput = [this](const InputEvent& e) {
        if (e.isLeftDown() && e.x == 999) dispatcher.quit(0);
    };
    // Only blanks and comments left: the script counts as run.
    EXPECT_EQ(Run({"move 1 1", "click 999 999", "", "  # the end"}), 0);
    EXPECT_EQ(platform.lineNotRun(), 0u);
}

TEST_F(ScriptRun, ProgramEndingBeforeLinesLeftNamesTheFirstOfThem) {
    onInput = [this](const InputEvent& e) {
        if (e.isLeftDown() && e.x == 999) dispatcher.quit(0);
    };
    Run({"click 999 999", "", "# then", "wait 10", "click 5 5"});
    EXPECT_EQ(platform.lineNotRun(), 4u);
}

TEST_F(ScriptRun, ProgramEndingDuringAWaitNamesTheWait) {
    dispatcher.setTimer(50, false, [this] { dispatcher.quit(0); });
    Run({"move 1 1", "wait 100"});
    EXPECT_EQ(Now(), 50u);
    EXPECT_EQ(platform.lineNotRun(), 2u);
}

TEST_F(ScriptRun, ProgramEndingDuringADragNamesTheDrag) {
    onInput = [this](const InputEvent& e) {
        if (e.kind == Kind::MouseMove && e.x >= 60) dispatcher.quit(0);
    };
    Run({"# drag", "drag 0 0 100 0 100"});
    EXPECT_EQ(seen.back(), Move(60, 0, 60));
    EXPECT_EQ(platform.lineNotRun(), 2u);

    // A new script forgets the drag it replaces.
    platform.setScriptLines({"", "# nothing to do"});
    EXPECT_EQ(platform.lineNotRun(), 0u);
    platform.setScriptLines({"wait 5"});
    EXPECT_EQ(platform.lineNotRun(), 1u) << "a program that ended at once ran nothing";
}

} // namespace
