// A learner who uses only the keyboard, run by the real program in headless mode on the demo course:
// from the first screen to a whole easy game and a practice visit and out again, without one mouse
// line. The records must show what a learner with a mouse would have left there.
#include "core/StringUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

namespace parlora {
namespace {

namespace fs = std::filesystem;

TEST(KeyboardWalk, AWholeEasyGameAndAPracticeVisitWithKeysOnly) {
    const std::string script = std::string(PARLORA_SOURCE_DIR) + "/tests/walk/keyboard-walk.txt";
    // Only keys: no line of the script uses the mouse.
    std::ifstream in(script);
    int lines = 0;
    for (std::string line; std::getline(in, line); ++lines) {
        std::string command = ToLowerAscii(line.substr(0, line.find(' ')));
        for (const char* mouse : {"click", "dblclick", "rclick", "move", "down", "up", "drag"})
            EXPECT_NE(command, mouse) << line;
    }
    ASSERT_GT(lines, 100);

    test::TempDir tmp;
    std::string home = test::LinkDemoCourse(tmp);
    std::string shots = tmp / "shots";
    test::MakeDirs(shots);
    test::RunResult run = test::RunParlora("--headless --seed=7 --script=" + script,
                                           test::PrivateEnvironment(tmp, home), 60, shots);
    ASSERT_EQ(run.exitCode, 0) << run.output;

    std::string records;
    for (const auto& entry : fs::recursive_directory_iterator(tmp / "xdg"))
        if (entry.path().filename() == "Parlora5.ini") records = test::ReadFile(entry.path().string());
    ASSERT_NE(records.find("[Student Kim]"), std::string::npos) << records;
    // The easy game of the first topic has a score: ten right answers of five points, less two for
    // each wrong one tried on the way.
    const std::regex game("Game2=([0-9]+),-1,");
    std::smatch m;
    bool found = std::regex_search(records, m, game);
    ASSERT_TRUE(found) << records;
    int score = std::stoi(m[1]);
    EXPECT_GT(score, 0);
    EXPECT_LE(score, 50);
    // The practice of the same topic was visited.
    const std::regex practice("Game0=0,-1,");
    EXPECT_TRUE(std::regex_search(records, practice)) << records;
}

} // namespace
} // namespace parlora
