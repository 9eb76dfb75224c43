// The records and award screens as the real program shows them in headless mode on the demo
// course: a new student with an accented name, the award screen, the records screen and its
// delete question answered no.
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace parlora {
namespace {

namespace fs = std::filesystem;

TEST(RecordsAwardWalk, AwardThenRecordsWithTheDeleteQuestion) {
    test::TempDir tmp;
    std::string home = test::LinkDemoCourse(tmp);
    std::string shots = tmp / "shots";
    test::MakeDirs(shots);
    test::RunResult run = test::RunParlora(std::string("--headless --script=") + PARLORA_SOURCE_DIR +
                                               "/tests/walk/records-award-walk.txt",
                                           test::PrivateEnvironment(tmp, home), 120, shots);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const char* shot :
         {"award-running.png", "award.png", "records-cover.png", "records.png", "delete.png"})
        EXPECT_TRUE(fs::exists(shots + "/" + shot)) << shot;
    // The answer was no: the student is still there.
    std::string records;
    for (const auto& entry : fs::recursive_directory_iterator(tmp / "xdg"))
        if (entry.path().filename() == "Parlora5.ini") records = test::ReadFile(entry.path().string());
    EXPECT_NE(records.find("[Student Zoé Núñez]"), std::string::npos) << records;
}

} // namespace
} // namespace parlora
