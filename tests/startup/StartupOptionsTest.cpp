#include "platform/headless/HeadlessPlatform.h"
#include "shell/FormMain.h"
#include "tests/support/TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace parlora;
using parlora::test::TempDir;
using parlora::test::WriteFile;

namespace {

TEST(StartOptions, NamesIgnoreCaseValuesAreTrimmedAndLaterArgumentsWin) {
    StartOptions o = TForm_Main::ParseOptions({"FoRcE", " target = 12", "target=3", "cdname= My Disc ",
                                               "data=/tmp/x=y", "quiz", "unknown=5", "timeout=5"});
    EXPECT_TRUE(o.force);
    EXPECT_TRUE(o.quiz);
    EXPECT_EQ(o.requestedTarget, 3);
    EXPECT_EQ(o.discName, "My Disc");
    EXPECT_EQ(o.dataPath, "/tmp/x=y"); // split at the first "=" only
    EXPECT_EQ(o.timeoutMinutes, 5);
    EXPECT_FALSE(o.network);
}

TEST(StartOptions, NonNumbersCountAsNone) {
    StartOptions o = TForm_Main::ParseOptions({"source=abc", "target=", "timeout=-3", "remote=x"});
    EXPECT_EQ(o.requestedSource, 0);
    EXPECT_EQ(o.requestedTarget, 0);
    EXPECT_EQ(o.timeoutMinutes, 0);
    EXPECT_TRUE(o.network);
    EXPECT_EQ(o.networkId, 0);
    StartOptions d = TForm_Main::ParseOptions({"", "=", "==", "cdname"});
    EXPECT_EQ(d.discName, ""); // a name without a value clears it, like any later argument
}

struct MainWindowFixture : ::testing::Test {
    TempDir tmp;
    HeadlessPlatform platform;
    void SetUp() override {
        test::UsePrivateFolders(tmp.path());
        test::MakeMinimalCourse(tmp / "course");
    }
};

TEST_F(MainWindowFixture, HelpIndexMatchIgnoresCaseAndFirstLineWins) {
    WriteFile(tmp / "course/helpind.txt", "=never\r\nfiles!=first\r\nsystem FILES=second\r\n");
    // The index is read when the window is made; read it through a run that fails early.
    setenv("PARLORA_HOME", (tmp / "course").c_str(), 1);
    TForm_Main withIndex(platform, {"data=" + (tmp / "nowhere")});
    EXPECT_EQ(withIndex.Run(), 1);
    EXPECT_EQ(withIndex.MatchHelpIndex("Can't find SYSTEM files!"), 1);
    EXPECT_EQ(withIndex.MatchHelpIndex("nothing here"), -1);
    unsetenv("PARLORA_HOME");
}

TEST_F(MainWindowFixture, HelpLinkReplacesPlaceholdersAndEncodes) {
    TForm_Main main(platform, {});
    // Before the languages are chosen: target 0 and the default source.
    EXPECT_NE(main.BuildHelpLink("[[trg]] [[src]]").find("trg=000%20src=001"), std::string::npos);
    test::MakeDirs(tmp / "course/data/targets/target5");
    main.folders().ProgramDir = tmp / "course";
    ASSERT_TRUE(main.InitialiseCourse());
    main.catalogue()->SetTarget(5);
    std::string link = main.BuildHelpLink("www.example.org/help page?[[RNG]]&[[trg]]&[[src]]&[[os]]");
    EXPECT_EQ(link.rfind("http://www.example.org/help%20page?rng=QOR&trg=005&src=001&os=LINUX", 0), 0u)
        << link;
    EXPECT_EQ(main.BuildHelpLink("plain"), "http://plain");
}

TEST_F(MainWindowFixture, MissingConfigurationGivesEveryDefault) {
    TForm_Main main(platform, {});
    main.folders().ProgramDir = tmp / "course";
    ASSERT_TRUE(main.InitialiseCourse());
    const CourseSettings& s = main.settings();
    EXPECT_FALSE(s.Debug);
    EXPECT_TRUE(s.Fancy);
    EXPECT_TRUE(s.KillSound);
    EXPECT_EQ(s.Filter1, 2);
    EXPECT_EQ(s.Filter1List, "92");
    EXPECT_EQ(s.AltPath, "Data\\QOR");
    EXPECT_EQ(s.recordsMode, RecordsMode::AppData);
    EXPECT_EQ(main.folders().RecordsDir, (tmp / "share") + "/Lingwell/ParloraPlus");
    EXPECT_EQ(s.Male, "Male2");
    EXPECT_EQ(s.Female, "Female2");
    EXPECT_EQ(s.QuizIntervalMin, 500);
    EXPECT_EQ(s.QuizRightPercent, 90);
    EXPECT_TRUE(s.EnableButtons[0] && s.EnableButtons[3]);
}

TEST_F(MainWindowFixture, ConfigurationKeysWithBlanksGarbageAndOverrides) {
    WriteFile(
        tmp / "course/sconfig.txt",
        "\xff\xfe garbage line\r\n[Defaults]\r\n  Fast = 1 \r\nFilter1=abc\r\nRecords=1\r\nLocalStore=1\r\n"
        "EnableButtons=0,1,,0\r\nImmersion=1\r\nChangeLanguage=1\r\n[QuizTest]\r\nRightPercent=70\r\n");
    WriteFile(tmp / "course/data/video.txt", "[Defaults]\r\nMale=3\r\n");
    test::MakeDirs(tmp / "course/data/sources/3source"); // immersion: the source is the target
    TForm_Main main(platform, {});
    main.folders().ProgramDir = tmp / "course";
    ASSERT_TRUE(main.InitialiseCourse());
    const CourseSettings& s = main.settings();
    EXPECT_TRUE(s.Fast);
    EXPECT_EQ(s.Filter1, 2); // not a number: the default
    EXPECT_EQ(s.recordsMode, RecordsMode::Local);
    EXPECT_EQ(main.folders().RecordsDir, (tmp / "course") + "/Scores");
    EXPECT_EQ(s.EnableButtons, (std::array<bool, 4>{false, true, true, false}));
    EXPECT_TRUE(s.ChangeLanguageConfigured);
    EXPECT_FALSE(s.ChangeLanguage); // immersion switches it off
    EXPECT_EQ(s.QuizRightPercent, 70);
    EXPECT_EQ(s.Male, "Male3");
    EXPECT_EQ(s.Female, "Female2");
}

TEST_F(MainWindowFixture, RecordsOffSkipsTheFolderAndTheFirstButton) {
    WriteFile(tmp / "course/sconfig.txt", "[Defaults]\nRecords=0\n");
    TForm_Main main(platform, {});
    main.folders().ProgramDir = tmp / "course";
    ASSERT_TRUE(main.InitialiseCourse());
    EXPECT_TRUE(main.folders().RecordsDir.empty());
    EXPECT_FALSE(main.settings().EnableButtons[0]);
}

TEST_F(MainWindowFixture, LanguageBlockErrorsFailTheStartUpWithTheirText) {
    std::filesystem::remove_all(tmp / "course/data/targets");
    TForm_Main main(platform, {});
    main.folders().ProgramDir = tmp / "course";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(main.InitialiseCourse());
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Language initialisation failed - Can't find any target directories"),
              std::string::npos);
}

TEST_F(MainWindowFixture, ClockCounterSetBeforeTheStartSeedsTheQuestions) {
    // Where the question stream stands once the course has started on a clock with this counter.
    auto streamAfterStart = [this](uint64_t counter) {
        HeadlessPlatform p;
        p.fakeClock().setPerfCounter(counter);
        TForm_Main main(p, {});
        main.folders().ProgramDir = tmp / "course";
        EXPECT_TRUE(main.InitialiseCourse());
        return main.random().shared.seed();
    };
    EXPECT_EQ(streamAfterStart(5), streamAfterStart(5));
    EXPECT_NE(streamAfterStart(5), streamAfterStart(6));
    // Only 32 bits of the counter count, which is why a seed is at most 4294967295.
    EXPECT_EQ(streamAfterStart(5), streamAfterStart(5 + (uint64_t(1) << 32)));
}

TEST_F(MainWindowFixture, InactivityTimeOutClosesAfterMinutesWithoutALeftClick) {
    setenv("PARLORA_HOME", (tmp / "course").c_str(), 1);
    TForm_Main main(platform, {"timeout=5"});
    platform.setScriptHost(&main);
    // Clicks keep the course open; five quiet minutes end it.
    platform.setScriptLines({"wait 240000", "click 10 10", "wait 240000", "click 10 10", "wait 299000",
                             "expect-screen TForm_Menu", "wait 2000", "expect-screen never reached"});
    EXPECT_EQ(main.Run(), 0);
    EXPECT_TRUE(main.timedOut());
    EXPECT_FALSE(platform.scriptFailed());
    // The course ended during the last wait, which the script had not run to its end.
    EXPECT_EQ(platform.lineNotRun(), 7u);
    unsetenv("PARLORA_HOME");
}

TEST_F(MainWindowFixture, KeyPressesKeepTheCourseOpenAsClicksDo) {
    setenv("PARLORA_HOME", (tmp / "course").c_str(), 1);
    TForm_Main main(platform, {"timeout=5"});
    platform.setScriptHost(&main);
    // A learner who only uses the keyboard is not idle.
    platform.setScriptLines({"wait 240000", "key Tab", "wait 240000", "key Right", "wait 299000",
                             "expect-screen TForm_Start", "wait 2000", "expect-screen never reached"});
    EXPECT_EQ(main.Run(), 0);
    EXPECT_TRUE(main.timedOut());
    EXPECT_FALSE(platform.scriptFailed());
    EXPECT_EQ(platform.lineNotRun(), 7u);
    unsetenv("PARLORA_HOME");
}

} // namespace
