#include "platform/FileWatcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace parlora;

namespace {

// Runs the loop for up to `ms` of real time, until `done`.
template <class F> void RunFor(Dispatcher& d, int ms, F done) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done() && std::chrono::steady_clock::now() < until) {
        d.runUntilIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

TEST(FileWatcher, ReportsWritesReplacementsAndRemovalOfItsFileOnlyOnTheUiThread) {
    char pattern[] = "/tmp/parlora-watch-XXXXXX";
    std::string dir = mkdtemp(pattern);
    FakeClock clock;
    Dispatcher d(clock, nullptr);
    int changes = 0;
    std::thread::id ui = std::this_thread::get_id(), seen;
    FileWatcher watcher(d, dir + "/stream.ini", [&] {
        ++changes;
        seen = std::this_thread::get_id();
    });
    ASSERT_TRUE(watcher.active());

    std::ofstream(dir + "/other.ini") << "x";
    RunFor(d, 200, [&] { return changes > 0; });
    EXPECT_EQ(changes, 0) << "another file is not ours";

    std::ofstream(dir + "/Stream.INI") << "[Stream]\nFlags=S1\n"; // names match in any case
    RunFor(d, 2000, [&] { return changes > 0; });
    EXPECT_GT(changes, 0);
    EXPECT_EQ(seen, ui);

    int before = changes;
    std::ofstream(dir + "/new.tmp") << "[Stream]\nFlags=S2\n";
    std::filesystem::rename(dir + "/new.tmp", dir + "/Stream.INI");
    RunFor(d, 2000, [&] { return changes > before; });
    EXPECT_GT(changes, before);

    before = changes;
    std::filesystem::remove(dir + "/Stream.INI");
    RunFor(d, 2000, [&] { return changes > before; });
    EXPECT_GT(changes, before);
    std::filesystem::remove_all(dir);
}

TEST(FileWatcher, AFolderThatIsNotThereLeavesItIdle) {
    FakeClock clock;
    Dispatcher d(clock, nullptr);
    FileWatcher watcher(d, "/nonexistent/parlora/stream.ini", [] {});
    EXPECT_FALSE(watcher.active());
}

} // namespace
