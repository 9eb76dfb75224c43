#include "platform/Dispatcher.h"

#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace parlora;

namespace {

struct Fixture : ::testing::Test {
    FakeClock clock;
    Dispatcher d{clock, nullptr};
    std::vector<std::string> log;
};

TEST_F(Fixture, PostedBeforeInputBeforePaintBeforeTimers) {
    d.setInputHandler([&](const InputEvent&) { log.push_back("input"); });
    d.setPaintHandler([&] { log.push_back("paint"); });
    d.setTimer(0, false, [&] { log.push_back("timer"); });
    d.invalidate();
    d.queueInput(InputEvent{});
    d.post([&] { log.push_back("posted1"); });
    d.post([&] { log.push_back("posted2"); });
    d.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"posted1", "posted2", "input", "paint", "timer"}));
}

TEST_F(Fixture, MessageToAGoneTargetIsDropped) {
    auto target = std::make_shared<int>(1);
    int delivered = 0;
    d.post(target, [&] { ++delivered; });
    d.post(target, [&] { ++delivered; });
    d.runOnce(false);
    target.reset();
    d.runUntilIdle();
    EXPECT_EQ(delivered, 1);
}

TEST_F(Fixture, TimersFireInDeadlineOrderAndOneShotsOnce) {
    d.setTimer(300, false, [&] { log.push_back("300"); });
    d.setTimer(100, false, [&] { log.push_back("100"); });
    d.setTimer(100, false, [&] { log.push_back("100b"); });
    d.advance(clock, 1000);
    EXPECT_EQ(log, (std::vector<std::string>{"100", "100b", "300"}));
}

TEST_F(Fixture, LatePeriodicTimerDoesNotCatchUp) {
    int fired = 0;
    d.setTimer(100, true, [&] { ++fired; });
    // The loop was busy for 1 s: one tick, not ten.
    clock.advance(1000);
    d.runUntilIdle();
    EXPECT_EQ(fired, 1);
    // Re-armed from the moment it fired.
    d.advance(clock, 99);
    EXPECT_EQ(fired, 1);
    d.advance(clock, 1);
    EXPECT_EQ(fired, 2);
}

TEST_F(Fixture, KilledTimerNeverFiresAndGuardedTimerDiesWithItsOwner) {
    int fired = 0;
    TimerId id = d.setTimer(50, true, [&] { ++fired; });
    auto owner = std::make_shared<int>(0);
    d.setTimer(
        50, true, [&] { ++fired; }, owner);
    d.killTimer(id);
    owner.reset();
    d.advance(clock, 500);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(d.msToNextTimer(), -1);
}

TEST_F(Fixture, DeferredRequestWaitsForTheModalLoopToEnd) {
    bool dialogOpen = true;
    d.setTimer(10, false, [&] {
        // A request made while the dialog runs...
        d.post(
            Guard{}, [&] { log.push_back("request"); }, true);
        d.post([&] { log.push_back("ordinary"); });
    });
    d.setTimer(20, false, [&] { dialogOpen = false; });
    d.post([&] {
        d.runModal([&] {
            if (dialogOpen) clock.advance(5);
            return !dialogOpen;
        });
        log.push_back("dialog closed");
    });
    d.runUntilIdle();
    // ...is handled only after the loop has ended; ordinary messages are not held.
    EXPECT_EQ(log, (std::vector<std::string>{"ordinary", "dialog closed", "request"}));
}

TEST_F(Fixture, ModalLoopTakesTheInput) {
    std::vector<std::string> got;
    d.setInputHandler([&](const InputEvent&) { got.push_back("screen"); });
    d.pushModalInput([&](const InputEvent&) { got.push_back("dialog"); });
    d.queueInput(InputEvent{});
    d.runUntilIdle();
    d.popModalInput();
    d.queueInput(InputEvent{});
    d.runUntilIdle();
    EXPECT_EQ(got, (std::vector<std::string>{"dialog", "screen"}));
}

TEST_F(Fixture, AppHookSeesInputFirstAndMayConsumeIt) {
    int screen = 0, hooked = 0;
    d.setInputHandler([&](const InputEvent&) { ++screen; });
    d.setAppHook([&](const InputEvent& e) {
        ++hooked;
        return e.isLeftDown();
    });
    InputEvent down;
    down.kind = InputEvent::Kind::MouseDown;
    d.queueInput(down);
    d.queueInput(InputEvent{});
    d.runUntilIdle();
    EXPECT_EQ(hooked, 2);
    EXPECT_EQ(screen, 1);
}

TEST_F(Fixture, EveryHandlerRunsInsideTheErrorFunnel) {
    std::vector<std::string> errors;
    d.setErrorHandler([&](const std::exception& e) { errors.push_back(e.what()); });
    d.post([] { throw std::runtime_error("posted"); });
    d.setTimer(1, false, [] { throw std::runtime_error("timer"); });
    d.setInputHandler([](const InputEvent&) { throw std::runtime_error("input"); });
    d.queueInput(InputEvent{});
    d.advance(clock, 5);
    EXPECT_EQ(errors, (std::vector<std::string>{"posted", "input", "timer"}));
    // The loop goes on after an error.
    bool later = false;
    d.post([&] { later = true; });
    d.runUntilIdle();
    EXPECT_TRUE(later);
}

TEST_F(Fixture, DiscardInputDropsQueuedClicks) {
    int screen = 0;
    d.setInputHandler([&](const InputEvent&) { ++screen; });
    d.queueInput(InputEvent{});
    d.queueInput(InputEvent{});
    d.discardInput();
    d.runUntilIdle();
    EXPECT_EQ(screen, 0);
}

TEST_F(Fixture, PostFromAnotherThreadArrives) {
    bool arrived = false;
    std::thread t([&] { d.postFromAnyThread(Guard{}, [&] { arrived = true; }); });
    t.join();
    d.runUntilIdle();
    EXPECT_TRUE(arrived);
}

} // namespace
