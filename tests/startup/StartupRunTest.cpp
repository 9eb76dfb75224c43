// Whole runs of the program on small data trees, in headless mode, and on the demo course where
// a run must reach a game.
#include "platform/SingleInstance.h"
#include "tests/support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <utility>

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

TEST_F(StartupRun, HeldButtonAndDragLinesRunAndMalformedOnesFailNamingTheirLine) {
    RunResult ok = Run("", "down 700 120\nwait 300\nup 720 130\ndrag 700 120 800 160 100\n"
                           "drag 800 160 700 120 0\nexpect-screen TForm_Start\n");
    EXPECT_EQ(ok.exitCode, 0) << ok.output;
    for (const auto& [line, why] : {std::pair<std::string, std::string>{"down 700", "down needs X Y"},
                                    {"up 1 2 3", "up needs X Y"},
                                    {"drag 1 2 3 4", "drag needs X1 Y1 X2 Y2 MS"},
                                    {"drag 1 2 3 4 -20", "drag needs X1 Y1 X2 Y2 MS"}}) {
        RunResult r = Run("", "wait 10\n" + line + "\nexpect-screen TForm_Start\n");
        EXPECT_EQ(r.exitCode, 1) << line;
        EXPECT_NE(r.output.find("script line 2 failed: " + why + ": " + line), std::string::npos) << r.output;
    }
}

TEST_F(StartupRun, SeedIsAWholeNumberForHeadlessRunsOnly) {
    RunResult ok = Run("--seed=4294967295", "expect-screen TForm_Start\n");
    EXPECT_EQ(ok.exitCode, 0) << ok.output;
    for (const char* bad : {"--seed=", "--seed=abc", "--seed=-1", "--seed=12x", "--seed=4294967296"}) {
        RunResult r = Run(bad, "expect-screen TForm_Start\n");
        EXPECT_EQ(r.exitCode, 2) << bad;
        EXPECT_NE(r.output.find("--seed needs a whole number"), std::string::npos) << r.output;
        EXPECT_NE(r.output.find("usage: parlora [--headless [--script=FILE] [--seed=N]]"), std::string::npos)
            << r.output;
    }
    RunResult windowed = RunParlora("--seed=5", env, 20);
    EXPECT_EQ(windowed.exitCode, 2);
    EXPECT_NE(windowed.output.find("--seed needs --headless"), std::string::npos) << windowed.output;
    RunResult help = RunParlora("--help", env, 20);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("[--seed=N]"), std::string::npos) << help.output;
}

// The demo course (made by the demo_content fixture) in a folder of its own.
struct DemoRun : ::testing::Test {
    TempDir tmp;
    int runs = 0;
    void SetUp() override {
        namespace fs = std::filesystem;
        std::string demo = PARLORA_BINARY_DIR "/demo/parlora";
        MakeDirs(tmp / "course/data");
        for (const auto& entry : fs::directory_iterator(demo + "/data"))
            fs::create_symlink(entry.path(), tmp / ("course/data/" + entry.path().filename().string()));
        fs::create_directory_symlink(demo + "/Update", tmp / "course/Update");
        WriteFile(tmp / "course/sconfig.txt", "[Defaults]\r\nNewUser=0\r\n");
    }
    // Each run has records of its own, so each learner is new.
    RunResult RunScript(const std::string& script, const std::string& args = "") {
        std::string run = tmp / ("run" + std::to_string(++runs));
        MakeDirs(run + "/runtime");
        std::filesystem::permissions(run + "/runtime", std::filesystem::perms::owner_all);
        WriteFile(run + "/script.txt", script);
        return RunParlora("--headless --script=" + run + "/script.txt " + args,
                          {{"PARLORA_HOME", tmp / "course"},
                           {"HOME", run},
                           {"XDG_DATA_HOME", run + "/data"},
                           {"XDG_CONFIG_HOME", run + "/config"},
                           {"XDG_RUNTIME_DIR", run + "/runtime"},
                           {"PARLORA_DISC_MOUNTS", ""}});
    }
    // A new learner's way from the start to the first question of the first words' easy game; the
    // screen then, as PNG bytes.
    std::string FirstQuestion(const std::string& args) {
        std::string shot = tmp / ("game" + std::to_string(runs + 1) + ".png");
        std::string script = "expect-screen TForm_CustomStart\nclick 512 650\nwait 1000\n"
                             "expect-screen TForm_StartNew\nclick 811 719\nwait 1000\n"
                             "expect-screen TForm_TypeName\nkey End\n";
        for (int i = 0; i < 24; ++i)
            script += "key BackSpace\n";
        script += "type Kim\nkey Return\nwait 1000\nexpect-screen TForm_Menu\nclick 514 191\nwait 1500\n"
                  "expect-screen TForm_WordsMenu\nclick 406 381\nwait 3000\nexpect-screen TForm_WordsEasy\n"
                  "shot " +
                  shot + "\n";
        RunResult r = RunScript(script, args);
        EXPECT_EQ(r.exitCode, 0) << args << ": " << r.output;
        return ReadFile(shot);
    }
};

TEST_F(DemoRun, ScriptThatOutlivesTheCourseFailsAtTheLineItHadReached) {
    // Outside the custom start screen's start area the course ends.
    RunResult r = RunScript("expect-screen TForm_CustomStart\nclick 900 700\n\n# after the end\nwait 500\n"
                            "expect-screen TForm_StartNew\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("script line 5 not run: the course ended"), std::string::npos) << r.output;
    // Blanks and comments after the last command are not lines to run.
    RunResult ended = RunScript("expect-screen TForm_CustomStart\nclick 900 700\n\n# the end\n");
    EXPECT_EQ(ended.exitCode, 0) << ended.output;
    EXPECT_EQ(ended.output.find("not run"), std::string::npos) << ended.output;
}

TEST_F(DemoRun, SeedChoosesWhatTheGameAsksAndTheSameSeedAsksTheSame) {
    std::string first = FirstQuestion("--seed=1");
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(FirstQuestion("--seed=1") == first) << "the same seed, the same screen";
    EXPECT_FALSE(FirstQuestion("--seed=2") == first) << "another seed, another question";
}

} // namespace
