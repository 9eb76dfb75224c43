// Whole runs of the program on small data trees, in headless mode.
#include "platform/SingleInstance.h"
#include "tests/support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace parlora;
using namespace parlora::test;

namespace {

struct StartupRun : ::testing::Test {
    TempDir tmp;
    std::map<std::string, std::string> env;
    void SetUp() override {
        MakeDirs(tmp / "run");
        MakeMinimalCourse(tmp / "course");
        env = {{"XDG_RUNTIME_DIR", tmp / "run"},
               {"XDG_DATA_HOME", tmp / "share"},
               {"XDG_CONFIG_HOME", tmp / "config"},
               {"PARLORA_HOME", tmp / "course"},
               {"PARLORA_DISC_MOUNTS", ""}};
    }
    RunResult Run(const std::string& args, const std::string& script) {
        WriteFile(tmp / "script.txt", script);
        return RunParlora("--headless --script=" + (tmp / "script.txt") + " " + args, env);
    }
};

TEST_F(StartupRun, StartsOnTheStartScreenAndExitsWithTheScriptsVerdict) {
    RunResult ok =
        Run("data=" + (tmp / "course/data"), "expect-screen TForm_Start\nshot " + (tmp / "a.png") + "\n");
    EXPECT_EQ(ok.exitCode, 0) << ok.output;
    EXPECT_FALSE(ReadFile(tmp / "a.png").empty());
    // The temporary folder is removed at the end.
    EXPECT_FALSE(std::filesystem::exists(tmp / "run/ParloraPlus"));

    RunResult wrong = Run("", "wait 10\nexpect-screen TForm_Menu\n");
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.output.find("script line 2 failed"), std::string::npos) << wrong.output;
}

TEST_F(StartupRun, FirstScreenFollowsQuizModeAndTheCustomStartFile) {
    EXPECT_EQ(Run("quiz", "expect-screen TForm_Menu\n").exitCode, 0);
    WriteFile(tmp / "course/data/Interface/start/CustomStart.txt", "StartBG.png\n");
    EXPECT_EQ(Run("", "expect-screen TForm_CustomStart\n").exitCode, 0);
}

TEST_F(StartupRun, DataTreeWithoutFirstWordsIsRefused) {
    MakeDirs(tmp / "empty/Interface");
    RunResult r = Run("data=" + (tmp / "empty"), "");
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.output.find("Can't find system files!"), std::string::npos) << r.output;
}

TEST_F(StartupRun, SecondCopyIsRefused) {
    SingleInstance first;
    ASSERT_TRUE(first.acquire((tmp / "run") + "/parloraplus.lock"));
    RunResult r = Run("", "");
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.output.find("Parlora is already running"), std::string::npos) << r.output;
}

TEST_F(StartupRun, UnwritableRecordsFolderEndsCleanly) {
    // A file stands where the records folder should be made.
    WriteFile(tmp / "course/blocker", "x");
    WriteFile(tmp / "course/sconfig.txt", "[Defaults]\r\nLocalStore=1\r\nLocalPath=blocker/Scores\r\n");
    RunResult r = Run("", "");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("Can't write to folder "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(".  Please check access permissions."), std::string::npos);
}

TEST_F(StartupRun, CourseDiscIsFoundAtTheRootOrUnderAltPath) {
    std::filesystem::remove_all(tmp / "course/data");
    MakeMinimalCourse(tmp / "disc1/Data/QOR");
    env["PARLORA_DISC_MOUNTS"] = (tmp / "cdrom-empty") + ":" + (tmp / "disc1");
    EXPECT_EQ(Run("", "expect-screen TForm_Start\n").exitCode, 0);
}

TEST_F(StartupRun, InsertDiscDialogCancelOrBrowse) {
    std::filesystem::remove_all(tmp / "course/data");
    // Cancel ends the start-up without a further message.
    RunResult cancelled = Run("cdname=Demo", "wait 2500\nclick 623 478\n");
    EXPECT_EQ(cancelled.exitCode, 1) << cancelled.output;
    // Browse: a file inside a data directory stands for that directory.
    MakeMinimalCourse(tmp / "other");
    std::filesystem::rename(tmp / "other/data", tmp / "elsewhere");
    WriteFile(tmp / "elsewhere/readme.txt", "x");
    RunResult browsed = Run("", "click 511 478\ntype " + (tmp / "elsewhere/Interface") +
                                    "\nkey Return\nexpect-screen \nclick 511 478\nkey BackSpace\n");
    EXPECT_EQ(browsed.exitCode, 1); // a folder that is not the data directory leaves the dialog open
    RunResult found = Run("", "click 511 478\ntype " + (tmp / "elsewhere/readme.txt") +
                                  "\nkey Return\nexpect-screen TForm_Start\n");
    EXPECT_EQ(found.exitCode, 0) << found.output;
}

TEST_F(StartupRun, NoCommandLineCrashesTheProgram) {
    for (const char* args : {"= == === target=abc timeout=x source= data= cdname", "remote=7",
                             "target=99999999999999999999", "timeout=-1 force quiz"}) {
        RunResult r = Run(args, "wait 100\n");
        EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << args << ": " << r.output;
    }
}

} // namespace
