// A new learner's walk through the demo course, run by the real program in headless mode: every
// screen it reaches must be the expected one, and the start screen, the main menu and a topic
// menu must look as they did when their golden pictures were taken.
#include "core/PathResolver.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace parlora {
namespace {

namespace fs = std::filesystem;

TEST(FirstWalk, FromTheStartScreenThroughEveryTopicMenu) {
    test::TempDir tmp;
    std::string home = test::LinkDemoCourse(tmp);
    std::string shots = tmp / "shots";
    test::MakeDirs(shots);
    test::RunResult run = test::RunParlora(std::string("--headless --script=") + PARLORA_SOURCE_DIR +
                                               "/tests/walk/first-walk.txt",
                                           test::PrivateEnvironment(tmp, home), 120, shots);
    ASSERT_EQ(run.exitCode, 0) << run.output;

    for (const char* shot : {"custom-start.png", "start.png", "type-name.png", "new-user.png", "help.png",
                             "main-menu.png", "topic-1.png", "topic-9.png"})
        EXPECT_TRUE(fs::exists(shots + "/" + shot)) << shot;
    std::string golden = std::string(PARLORA_SOURCE_DIR) + "/tests/walk/golden";
    for (const char* shot : {"start.png", "main-menu.png", "topic-1.png"}) {
        Surface actual = test::LoadPngRaw(shots + "/" + shot);
        ASSERT_EQ(actual.width(), 1024) << shot;
        EXPECT_TRUE(test::MatchesGolden(actual, shot, {}, golden)) << shot;
    }
    // The records file knows the new student.
    std::string records;
    for (const auto& entry : fs::recursive_directory_iterator(tmp / "xdg"))
        if (entry.path().filename() == "Parlora5.ini") records = test::ReadFile(entry.path().string());
    EXPECT_NE(records.find("[Student Sam]"), std::string::npos) << records;
}

TEST(FirstWalk, TheReadmesExampleWalkRuns) {
    test::TempDir tmp;
    std::string home = test::LinkDemoCourse(tmp);
    std::string shots = tmp / "shots";
    test::MakeDirs(shots);
    test::RunResult run =
        test::RunParlora(std::string("--headless --script=") + PARLORA_SOURCE_DIR + "/docs/examples/walk.txt",
                         test::PrivateEnvironment(tmp, home), 120, shots);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const char* shot : {"start.png", "menu.png", "practice.png"})
        EXPECT_TRUE(fs::exists(shots + "/" + shot)) << shot;
}

} // namespace
} // namespace parlora
