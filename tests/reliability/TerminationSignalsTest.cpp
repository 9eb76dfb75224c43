// Termination signals reach the UI thread as a task, and the previous handlers come back.
#include "platform/TerminationSignals.h"
#include "platform/Clock.h"
#include "platform/Dispatcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace parlora {
namespace {

volatile sig_atomic_t gOldHandlerRan = 0;
extern "C" void OldHandler(int) {
    gOldHandlerRan = 1;
}

// Runs the loop until `done` or a second has passed.
bool RunUntil(Dispatcher& dispatcher, const std::function<bool()>& done) {
    for (int i = 0; i < 200 && !done(); ++i) {
        dispatcher.runUntilIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

TEST(TerminationSignals, EachSignalBecomesATaskOnTheLoopOnce) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        FakeClock clock;
        Dispatcher dispatcher(clock, nullptr);
        std::vector<int> seen;
        std::thread::id ranOn;
        {
            TerminationSignals signals(dispatcher, [&](int s) {
                seen.push_back(s);
                ranOn = std::this_thread::get_id();
            });
            ASSERT_TRUE(signals.installed());
            ASSERT_EQ(raise(sig), 0);
            EXPECT_TRUE(seen.empty()) << "nothing runs inside the handler";
            EXPECT_TRUE(RunUntil(dispatcher, [&] { return !seen.empty(); })) << strsignal(sig);
            EXPECT_EQ(seen, std::vector<int>{sig});
            EXPECT_EQ(ranOn, std::this_thread::get_id());
        }
    }
}

TEST(TerminationSignals, ThePreviousHandlerComesBackAndNoTaskAfterTheEnd) {
    struct sigaction old {
    }, saved{};
    old.sa_handler = &OldHandler;
    sigemptyset(&old.sa_mask);
    ASSERT_EQ(sigaction(SIGHUP, &old, &saved), 0);
    FakeClock clock;
    Dispatcher dispatcher(clock, nullptr);
    int calls = 0;
    {
        TerminationSignals signals(dispatcher, [&](int) { ++calls; });
        // Only one owner at a time: a second one stays out of the way.
        TerminationSignals second(dispatcher, [&](int) { calls += 100; });
        EXPECT_FALSE(second.installed());
        raise(SIGHUP);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // The task posted before the end refers to a watcher that has gone: it is dropped.
    dispatcher.runUntilIdle();
    EXPECT_EQ(calls, 0);
    gOldHandlerRan = 0;
    raise(SIGHUP);
    EXPECT_EQ(gOldHandlerRan, 1);
    sigaction(SIGHUP, &saved, nullptr);
}

} // namespace
} // namespace parlora
