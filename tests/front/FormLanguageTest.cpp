#include "front/FormLanguage.h"

#include "core/ConfigFile.h"
#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "display/DIBImage.h"
#include "tests/support/DemoCourse.h"
#include "tests/support/GoldenImage.h"
#include "tools/gethelp/HelpPackage.h"

#include <archive.h>
#include <archive_entry.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include <unistd.h>

namespace parlora::test {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = PARLORA_BINARY_DIR "/shell/parlora-get-help";

std::string PackagesDir() {
    return DemoHome() + "/help-packages";
}

struct LanguageCourse : DemoCourse {
    // The course with a sources folder of its own (languages 1 and 3 linked from the demo), so that
    // a download lands here and never in the shared demo; `sourcesList` replaces Sources.txt.
    void PrepareOwnSources(const std::vector<std::pair<std::string, std::string>>& files = {},
                           const std::string& sourcesList = "") {
        Prepare(files);
        std::string sources = home() + "/data/sources";
        fs::remove(sources);
        MakeDirs(sources);
        for (const char* name : {"1source", "3source", "TheFlags.png", "Sources.txt"})
            fs::create_symlink(DemoHome() + "/data/sources/" + name, sources + "/" + name);
        if (!sourcesList.empty()) {
            fs::remove(sources + "/Sources.txt");
            WriteFile(sources + "/Sources.txt", sourcesList);
        }
    }
    // A student, so the main menu and the records have someone; then screen `code`.
    void OpenFrom(int code, std::vector<std::string> args = {"target=3", "source=1"}) {
        Start(args, 1);
        ASSERT_TRUE(main->records()->AddStudent("Kim"));
        main->records()->SaveStudentList();
        main->records()->SetCurrentStudent("Kim");
        main->LoadStudent();
        Request(code);
        if (programInstalled)
            if (auto* screen = ScreenAs<TForm_Language>())
                screen->setHelpProgramDir(fs::path(kProgram).parent_path());
    }
    TForm_Language& lang() { return *ScreenAs<TForm_Language>(); }
    template <class T> T& E(const std::string& name) { return lang().Element<T>(name); }
    void ClickElement(const std::string& name) { ClickOn(E<TCustomDIBControl>(name)); }
    // Clicks visible row `row` (0 at the top) of the list.
    void ClickRow(int row) {
        Click(TForm_Language::kListLeft + 80,
              TForm_Language::kListTop + row * TForm_Language::kRowHeight + 15);
    }
    int Source() { return main->catalogue()->sourceNumber(); }
    int RecordedSource() {
        ConfigFile records;
        records.Load(main->folders().RecordsFile);
        return records.ReadInt("Defaults", "Source", -1);
    }
    // Lets virtual time pass until the download program has ended (it runs in real time).
    void WaitForDownload() {
        auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (ScreenAs<TForm_Language>() && lang().downloading() &&
               std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            Wait(TForm_Language::kPollMs);
        }
        ASSERT_FALSE(lang().downloading()) << "the download program did not end";
    }
    // The build's own program, where an installed course has it beside its executable.
    void InstallProgram() {
        platform.headlessShell().runPrograms(true);
        programInstalled = true;
    }
    bool programInstalled = false;
    std::string Downloaded(int n) { return home() + "/data/sources/" + std::to_string(n) + "source"; }
};

std::string Captured(const std::function<void()>& action) {
    testing::internal::CaptureStderr();
    action();
    return testing::internal::GetCapturedStderr();
}

TEST(LanguageChoice, EachEntryScreenChangesTheSourceAndComesBack) {
    struct Entry {
        int code;
        std::string from; // the screen the button that leads here is on ("" : requested directly)
        const char* button;
        int back;
    };
    for (const Entry& entry : {Entry{3, "TForm_Start", "DIBBS_ChangeLang", 1}, Entry{5, "", "", 4},
                               Entry{10, "TForm_Menu", "DIBBS_Language", 9}}) {
        SCOPED_TRACE(entry.code);
        LanguageCourse c;
        c.Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}});
        c.OpenFrom(entry.from.empty() ? entry.code : entry.back);
        if (!entry.from.empty()) {
            ASSERT_EQ(c.Screen().rfind(entry.from, 0), 0u) << c.Screen(); // the start screen has variants
            auto* screen = dynamic_cast<TDIBScreen*>(c.main->currentScreen());
            c.ClickOn(screen->Element<TCustomDIBControl>(entry.button));
        }
        ASSERT_EQ(c.Screen(), "TForm_Language");
        EXPECT_EQ(c.lang().returnCode(), entry.back);
        EXPECT_EQ(c.lang().chosenRow(), 1);
        EXPECT_EQ(c.Source(), 1);

        c.ClickRow(1); // French
        EXPECT_EQ(c.Source(), 3);
        EXPECT_EQ(c.lang().chosenRow(), 2);
        EXPECT_EQ(c.E<TDIBImage>("DIBI_Cursor").Top(), TForm_Language::kListTop + 30);
        EXPECT_EQ(c.RecordedSource(), 3);
        EXPECT_EQ(PathResolver::Resolve(c.main->folders().SourceDir),
                  PathResolver::Resolve(c.main->folders().DataDir + "\\sources\\3source"));
        EXPECT_NE(c.lang().lastGreeting().find("3source"), std::string::npos) << c.lang().lastGreeting();

        c.ClickElement("DIBBS_Exit");
        std::string shown = c.Screen();
        EXPECT_NE(shown, "TForm_Language");
        // The screen of the return code itself, whatever class that is.
        c.Request(entry.back);
        EXPECT_EQ(c.Screen(), shown);
        EXPECT_EQ(c.Source(), 3); // leaving changes nothing back
    }
}

TEST(LanguageChoice, GreetingFollowsTheHourOfTheFakeClock) {
    for (auto [hour, minute, letter] :
         {std::tuple{0, 0, "m"}, std::tuple{11, 59, "m"}, std::tuple{12, 0, "a"}, std::tuple{17, 59, "a"},
          std::tuple{18, 0, "e"}, std::tuple{23, 59, "e"}}) {
        SCOPED_TRACE(std::to_string(hour) + ":" + std::to_string(minute));
        EXPECT_STREQ(TForm_Language::GreetingLetter(hour), letter);
        LanguageCourse c;
        c.Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}});
        c.platform.fakeClock().setLocalTime({2026, 12, 9, hour, minute, 0});
        c.OpenFrom(10);
        std::string greeting = c.lang().lastGreeting();
        EXPECT_EQ(greeting.substr(greeting.size() - 3), std::string("1g") + letter);
        EXPECT_TRUE(PathResolver::IsFile(greeting + ".aif")) << greeting;
    }
}

TEST(LanguageChoice, ClickingTheChosenRowOrBelowTheListDoesNothing) {
    LanguageCourse c;
    c.Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}});
    c.platform.fakeClock().setLocalTime({2026, 12, 9, 9, 0, 0});
    c.OpenFrom(10);
    ASSERT_EQ(c.lang().lastGreeting().back(), 'm');
    c.platform.fakeClock().setLocalTime({2026, 12, 9, 20, 0, 0});
    c.ClickRow(0);
    EXPECT_EQ(c.lang().lastGreeting().back(), 'm'); // not greeted again
    EXPECT_EQ(c.Source(), 1);
    c.ClickRow(5); // inside the list picture's frame, below the three languages
    EXPECT_EQ(c.Source(), 1);
    EXPECT_EQ(c.lang().chosenRow(), 1);
}

TEST(LanguageChoice, NotInstalledWithoutTheProgramIsRefusedPolitely) {
    LanguageCourse c;
    c.PrepareOwnSources({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}});
    c.OpenFrom(10);
    ASSERT_EQ(c.lang().HelpProgramPath(), "");
    std::string log = Captured([&] { c.ClickRow(2); }); // Spanish, not installed
    EXPECT_NE(log.find("Sorry, this help language is not available. [OK]"), std::string::npos) << log;
    EXPECT_EQ(c.Source(), 1);
    EXPECT_EQ(c.lang().chosenRow(), 1);
    EXPECT_FALSE(fs::exists(c.Downloaded(5)));
}

TEST(LanguageChoice, ProgramsInTheCourseHomeOrOnThePathAreNeverRun) {
    LanguageCourse c;
    c.PrepareOwnSources(
        {{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\nHelpBase=file://" + PackagesDir() + "\r\n"}});
    // A course home on a stick, and a folder on the PATH, each offering a program
    // of that name.
    std::string ran = c.tmp / "ran";
    std::string script = "#!/bin/sh\ntouch '" + ran + "'\n";
    std::string onPath = c.tmp / "bin";
    for (const std::string& folder : {c.home(), onPath}) {
        WriteFile(folder + "/" + TForm_Language::kHelpProgram, script);
        fs::permissions(folder + "/" + TForm_Language::kHelpProgram, fs::perms::owner_all);
    }
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (onPath + ":" + path).c_str(), 1);
    c.platform.headlessShell().runPrograms(true);
    c.OpenFrom(10);
    EXPECT_EQ(c.lang().HelpProgramPath(), "");
    std::string log = Captured([&] {
        c.ClickRow(2);
        if (c.lang().downloading()) c.WaitForDownload();
    });
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_NE(log.find("Sorry, this help language is not available. [OK]"), std::string::npos) << log;
    EXPECT_FALSE(fs::exists(ran));
    EXPECT_FALSE(fs::exists(c.Downloaded(5)));
}

TEST(LanguageChoice, MissingLanguageIsFetchedFromTheLocalPackageAndChosen) {
    ASSERT_TRUE(fs::exists(PackagesDir() + "/5source.tar.zst")) << "the demo makes the package";
    LanguageCourse c;
    c.PrepareOwnSources(
        {{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\nHelpBase=file://" + PackagesDir() + "\r\n"}});
    c.InstallProgram();
    c.OpenFrom(10);
    std::string log = Captured([&] {
        c.ClickRow(2);
        EXPECT_TRUE(c.lang().downloading());
        c.ClickRow(1); // ignored while the download runs
        EXPECT_EQ(c.Source(), 1);
        c.WaitForDownload();
    });
    EXPECT_NE(log.find("Do you want to download this help language? [Yes]"), std::string::npos) << log;
    EXPECT_EQ(log.find("failed"), std::string::npos) << log;
    EXPECT_TRUE(fs::is_directory(c.Downloaded(5)));
    EXPECT_EQ(c.Source(), 5);
    EXPECT_EQ(c.lang().chosenRow(), 3);
    EXPECT_EQ(c.RecordedSource(), 5);
    EXPECT_NE(c.lang().lastGreeting().find("5source"), std::string::npos);
    EXPECT_TRUE(PathResolver::IsFile(c.lang().lastGreeting() + ".aif"));
    // The new language's own pictures are there for the screens that follow.
    EXPECT_TRUE(PathResolver::IsFile(c.main->folders().SourceDir + "\\general\\menu1.png"));
    c.ClickElement("DIBBS_Exit");
    EXPECT_EQ(c.Screen(), "TForm_Menu");
    // No leftovers of the unpacking beside the languages.
    for (const auto& e : fs::directory_iterator(c.home() + "/data/sources"))
        EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
}

TEST(LanguageChoice, AnsweringNoDownloadsNothing) {
    LanguageCourse c;
    c.PrepareOwnSources(
        {{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\nHelpBase=file://" + PackagesDir() + "\r\n"}});
    c.InstallProgram();
    c.OpenFrom(10);
    c.main->queueDialogAnswer("No");
    c.ClickRow(2);
    EXPECT_FALSE(c.lang().downloading());
    EXPECT_EQ(c.Source(), 1);
    EXPECT_FALSE(fs::exists(c.Downloaded(5)));
}

// A package folder serving `bytes` as source 5, with a checksum of exactly those bytes unless told.
void Serve(const std::string& folder, const std::string& bytes, const std::string& sum = "") {
    WriteFile(folder + "/5source.tar.zst", bytes);
    std::string digest =
        sum.empty() ? THelpPackage::Sha256Hex(std::vector<uint8_t>(bytes.begin(), bytes.end())) : sum;
    WriteFile(folder + "/5source.tar.zst.sha256", digest + "  5source.tar.zst\n");
}

// A tar.zst holding a good-looking folder plus one entry named `extra`.
std::string PackageWith(const std::string& extra) {
    std::unique_ptr<archive, int (*)(archive*)> a(archive_write_new(), archive_write_free);
    archive_write_set_format_pax_restricted(a.get());
    archive_write_add_filter_zstd(a.get());
    std::vector<char> out(1 << 16);
    size_t used = 0;
    archive_write_open_memory(a.get(), out.data(), out.size(), &used);
    for (const std::string& name : {std::string("5source/general/menu1.png"), extra}) {
        std::unique_ptr<archive_entry, void (*)(archive_entry*)> e(archive_entry_new(), archive_entry_free);
        archive_entry_set_pathname(e.get(), name.c_str());
        archive_entry_set_filetype(e.get(), AE_IFREG);
        archive_entry_set_perm(e.get(), 0644);
        archive_entry_set_size(e.get(), 4);
        archive_write_header(a.get(), e.get());
        archive_write_data(a.get(), "data", 4);
    }
    archive_write_close(a.get());
    return std::string(out.data(), used);
}

TEST(LanguageChoice, RefusedDownloadsKeepTheLanguageAndSaySo) {
    std::string good = ReadFile(PackagesDir() + "/5source.tar.zst");
    ASSERT_GT(good.size(), 1000u);
    struct Case {
        const char* what;
        std::function<void(const std::string& folder)> serve;
        bool address = true;
    };
    for (const Case& k : {
             Case{"wrong checksum", [&](const std::string& f) { Serve(f, good, std::string(64, '0')); }},
             Case{"truncated archive",
                  [&](const std::string& f) { Serve(f, good.substr(0, good.size() / 2)); }},
             Case{"climbing paths",
                  [&](const std::string& f) { Serve(f, PackageWith("5source/../../../escaped")); }},
             Case{"absolute paths",
                  [&](const std::string& f) { Serve(f, PackageWith("/tmp/parlora-escaped")); }},
             Case{"no address", [&](const std::string& f) { Serve(f, good); }, false},
         }) {
        SCOPED_TRACE(k.what);
        TempDir server;
        k.serve(server.path());
        LanguageCourse c;
        std::string base = k.address ? "file://" + server.path() : "";
        c.PrepareOwnSources({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\nHelpBase=" + base + "\r\n"}});
        c.InstallProgram();
        c.OpenFrom(10);
        c.ClickRow(1);
        ASSERT_EQ(c.Source(), 3);
        std::set<std::string> before;
        for (const auto& e : fs::recursive_directory_iterator(c.tmp.path()))
            before.insert(e.path().string());
        std::string log = Captured([&] {
            c.ClickRow(2);
            c.WaitForDownload();
        });
        EXPECT_NE(log.find("Help language download failed [OK]"), std::string::npos) << log;
        EXPECT_EQ(c.Source(), 3);
        EXPECT_EQ(c.lang().chosenRow(), 2);
        EXPECT_EQ(c.RecordedSource(), 3);
        EXPECT_FALSE(fs::exists(c.Downloaded(5)));
        EXPECT_FALSE(fs::exists("/tmp/parlora-escaped"));
        // Nothing new anywhere in the course's tree (records and registry aside, which the choice of
        // French wrote before).
        for (const auto& e : fs::recursive_directory_iterator(c.tmp.path()))
            EXPECT_TRUE(before.count(e.path().string())) << e.path();
    }
}

TEST(LanguageChoice, LeavingDuringADownloadLetsItFinishWhole) {
    LanguageCourse c;
    c.PrepareOwnSources(
        {{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\nHelpBase=file://" + PackagesDir() + "\r\n"}});
    c.InstallProgram();
    c.OpenFrom(10);
    c.ClickRow(2);
    ASSERT_TRUE(c.lang().downloading());
    c.ClickElement("DIBBS_Exit");
    EXPECT_EQ(c.Screen(), "TForm_Menu");
    c.Wait(1000); // the watching timer went with the screen
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(c.Downloaded(5)) && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(fs::is_directory(c.Downloaded(5) + "/general"));
    EXPECT_EQ(c.Source(), 1); // nothing was chosen behind the learner's back
    // The ended program is collected all the same: no zombie child stays behind. The stat lines
    // of any that do are kept, so that a failure names the child.
    auto zombies = [] {
        std::string found;
        for (const auto& e : fs::directory_iterator("/proc")) {
            std::string stat = ReadFile(e.path().string() + "/stat");
            size_t close = stat.rfind(')');
            if (close == std::string::npos || close + 4 >= stat.size()) continue;
            char state = stat[close + 2];
            int ppid = std::atoi(stat.c_str() + close + 4);
            if (state == 'Z' && ppid == int(::getpid())) found += stat.substr(0, close + 1) + "\n";
        }
        return found;
    };
    // Time-bounded rather than counted: a loaded machine may be slow to let the program end.
    limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!zombies().empty() && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        c.Wait(TForm_Language::kPollMs);
    }
    EXPECT_EQ(zombies(), "");
}

TEST(LanguageChoice, SliderSetsTheVolumeAndGreetsOnRelease) {
    LanguageCourse c;
    c.Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}});
    c.platform.fakeClock().setLocalTime({2026, 12, 9, 19, 30, 0});
    c.OpenFrom(10);
    auto& knob = c.E<TDIBImage>("DIBI_Slider");
    ASSERT_TRUE(knob.Visible());
    EXPECT_EQ(knob.Left(), TForm_Language::SliderLeft(c.platform.volume().get()));
    int pressX = knob.Left() + 4, y = knob.Top() + 10;
    c.Mouse(InputEvent::Kind::MouseMove, pressX, y);
    c.Mouse(InputEvent::Kind::MouseDown, pressX, y);
    c.Mouse(InputEvent::Kind::MouseMove, 502 + 4, y); // the middle of the travel 427..577
    c.Idle();
    EXPECT_EQ(c.platform.volume().get(), 32767);
    EXPECT_EQ(knob.Left(), 501);
    size_t played = c.platform.headlessAudioOut().log().size();
    c.Mouse(InputEvent::Kind::MouseUp, 502 + 4, y);
    c.Idle();
    ASSERT_EQ(c.platform.headlessAudioOut().log().size(), played + 1);
    EXPECT_NE(ToLowerAscii(c.platform.headlessAudioOut().log().back().label).find("1ge.aif"),
              std::string::npos)
        << c.platform.headlessAudioOut().log().back().label;
    c.Mouse(InputEvent::Kind::MouseDown, 502 + 4, y);
    c.Mouse(InputEvent::Kind::MouseMove, 900, y);
    c.Mouse(InputEvent::Kind::MouseUp, 900, y);
    c.Idle();
    EXPECT_EQ(c.platform.volume().get(), 65535);
    EXPECT_EQ(knob.Left(), 577);
}

TEST(LanguageChoice, UnlistedCurrentLanguageGivesWayToTheFirstInstalledOne) {
    // Not installed languages come first: switching to one would leave the course without texts.
    LanguageCourse c;
    c.PrepareOwnSources({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}}, "7\r\n8\r\n3\r\n");
    c.OpenFrom(10);
    EXPECT_EQ(c.lang().chosenRow(), 3);
    EXPECT_EQ(c.Source(), 3);
    EXPECT_EQ(c.RecordedSource(), 3);

    // Nothing installed at all: the language stays and no row is highlighted.
    LanguageCourse d;
    d.PrepareOwnSources({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}}, "7\r\n8\r\n");
    d.OpenFrom(10);
    EXPECT_EQ(d.lang().chosenRow(), 0);
    EXPECT_EQ(d.Source(), 1);
    EXPECT_FALSE(d.E<TDIBImage>("DIBI_Cursor").Visible());

    // An empty list: nothing to choose, nothing scrolls.
    LanguageCourse e;
    e.PrepareOwnSources({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}}, "none\r\n");
    e.OpenFrom(10);
    EXPECT_EQ(e.lang().numbers().size(), 0u);
    EXPECT_EQ(e.Source(), 1);
    e.ClickRow(0);
    EXPECT_FALSE(e.E<TDIBButtonStrip>("DIBBS_Up").Enabled());
    EXPECT_FALSE(e.E<TDIBButtonStrip>("DIBBS_Down").Enabled());
}

TEST(LanguageChoice, SourceListStopsAtTheFirstLineThatIsNoLanguage) {
    EXPECT_EQ(TForm_Language::ParseSourceList("1\r\n3\r\n 5 \r\n"), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(TForm_Language::ParseSourceList("1\n\n3\n"), (std::vector<int>{1}));
    EXPECT_EQ(TForm_Language::ParseSourceList("4\nx\n3\n"), (std::vector<int>{4}));
    EXPECT_EQ(TForm_Language::ParseSourceList("2\n0\n3\n"), (std::vector<int>{2}));
    EXPECT_EQ(TForm_Language::ParseSourceList("-1\n"), (std::vector<int>{}));
    EXPECT_EQ(TForm_Language::ParseSourceList("99999999999\n"), (std::vector<int>{}));
}

TEST(LanguageChoice, TwelveLanguagesOpenScrolledToTheCurrentOne) {
    LanguageCourse c;
    c.PrepareOwnSources({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}},
                        "2\n4\n5\n6\n7\n8\n9\n10\n11\n1\n12\n13\n");
    c.OpenFrom(10);
    EXPECT_EQ(c.lang().visibleRows(), 7);
    EXPECT_EQ(c.lang().chosenRow(), 10);
    EXPECT_EQ(c.lang().topRow(), 6);
    EXPECT_EQ(c.E<TDIBImage>("DIBI_List").OffsetY(), 5 * 30);
    EXPECT_EQ(c.E<TDIBImage>("DIBI_Cursor").Top(), TForm_Language::kListTop + 4 * 30);
    EXPECT_TRUE(c.E<TDIBButtonStrip>("DIBBS_Up").Enabled());
    EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_Down").Enabled());
    // The fifth visible row is the chosen one: clicking it changes nothing.
    c.ClickRow(4);
    EXPECT_EQ(c.Source(), 1);
}

TEST(LanguageChoice, FiveLanguagesAllShowAndNothingScrolls) {
    LanguageCourse c;
    c.PrepareOwnSources({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}}, "1\n3\n5\n6\n7\n");
    c.OpenFrom(10);
    EXPECT_EQ(c.lang().visibleRows(), 5);
    EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_Up").Enabled());
    EXPECT_FALSE(c.E<TDIBButtonStrip>("DIBBS_Down").Enabled());
}

TEST(LanguageChoice, HoldingScrollDownSpeedsUpUntilTheEnd) {
    LanguageCourse c;
    c.PrepareOwnSources({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}},
                        "1\n2\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n");
    c.OpenFrom(10);
    ASSERT_EQ(c.lang().topRow(), 1);
    auto& down = c.E<TDIBButtonStrip>("DIBBS_Down");
    Rect r = down.BoundsRect();
    int x = r.x + r.w / 2, y = r.y + r.h / 2;
    c.Mouse(InputEvent::Kind::MouseMove, x, y);
    c.Mouse(InputEvent::Kind::MouseDown, x, y);
    c.Idle();
    EXPECT_EQ(c.lang().topRow(), 2);
    EXPECT_TRUE(c.E<TDIBButtonStrip>("DIBBS_Up").Enabled());
    // Each step's row arrives when the step before it has run its course: 400, 300, 200, 100, 100 ms.
    uint64_t now = 0;
    for (auto [ends, top] : {std::pair{400, 3}, std::pair{700, 4}, std::pair{900, 5}, std::pair{1000, 6}}) {
        c.Wait(uint64_t(ends) - 10 - now);
        EXPECT_EQ(c.lang().topRow(), top - 1) << "before " << ends;
        c.Wait(20);
        now = uint64_t(ends) + 10;
        EXPECT_EQ(c.lang().topRow(), top) << "after " << ends;
    }
    c.Wait(200);
    EXPECT_EQ(c.lang().topRow(), 6);
    EXPECT_EQ(c.lang().stepMs(), 100u);
    EXPECT_FALSE(down.Enabled());
    EXPECT_EQ(c.E<TDIBImage>("DIBI_List").OffsetY(), 5 * 30);
    // The chosen first row has scrolled out above the band: the cursor is gone with it.
    EXPECT_FALSE(c.E<TDIBImage>("DIBI_Cursor").Visible());
    c.Mouse(InputEvent::Kind::MouseUp, x, y);
    c.Idle();

    // A short press on the other button makes exactly one step back.
    auto& up = c.E<TDIBButtonStrip>("DIBBS_Up");
    c.ClickOn(up);
    c.Wait(1000);
    EXPECT_EQ(c.lang().topRow(), 5);
}

TEST(LanguageChoice, CursorIsClippedToTheBandWhileScrolling) {
    LanguageCourse c;
    c.PrepareOwnSources({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}},
                        "1\n2\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n");
    c.OpenFrom(10);
    auto& cursor = c.E<TDIBImage>("DIBI_Cursor");
    c.ClickOn(c.E<TDIBButtonStrip>("DIBBS_Down"));
    c.Wait(200); // halfway: the first row is half scrolled out
    int shift = c.E<TDIBImage>("DIBI_List").OffsetY();
    EXPECT_GT(shift, 0);
    EXPECT_LT(shift, 30);
    EXPECT_EQ(cursor.Top(), TForm_Language::kListTop);
    EXPECT_EQ(cursor.Height(), 30 - shift);
    EXPECT_EQ(cursor.OffsetY(), shift);
}

TEST(LanguageChoice, HighlightMovesWithTheChoiceOnScreen) {
    LanguageCourse c;
    c.PrepareOwnSources({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n"}});
    c.OpenFrom(10);
    Surface before = c.Shot();
    c.ClickRow(1);
    Surface after = c.Shot();
    std::string out = std::string(PARLORA_BINARY_DIR) + "/shots";
    MakeDirs(out);
    SavePngRaw(before, out + "/language-choice-english.png");
    SavePngRaw(after, out + "/language-choice-french.png");
    auto differs = [&](int row) {
        int changed = 0;
        for (int y = TForm_Language::kListTop + row * 30; y < TForm_Language::kListTop + row * 30 + 30; ++y)
            for (int x = TForm_Language::kListLeft;
                 x < TForm_Language::kListLeft + TForm_Language::kListWidth; ++x)
                changed += before.pixel(x, y) != after.pixel(x, y);
        return changed;
    };
    EXPECT_GT(differs(0), 200); // the highlight left the first row
    EXPECT_GT(differs(1), 200); // and came to the second
    EXPECT_EQ(differs(2), 0);   // the third row is untouched
}

} // namespace
} // namespace parlora::test
