// The export over the demo course: tracks that any player reads back with every tag and the
// picture, in the playlist's order; replacing the earlier export; phrases and categories left out;
// Cancel at any point; the messages of every failure; the debug lines; a portable player.
#include "export/PhraseExport.h"
#include "export/FormIPod.h"
#include "export/Mp3Track.h"

#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "platform/XdgFolders.h"
#include "shell/SavedFileNotice.h"
#include "tests/support/DemoCourse.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace parlora {
namespace {

using test::DemoCourse;
using test::DemoHome;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kTitle = "Parlora! ";

std::string Demo(const std::string& rel) {
    return DemoHome() + "/data/" + rel;
}

std::set<std::string> Names(const std::string& dir) {
    std::set<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        out.insert(e.path().filename().string());
    return out;
}

// Every file under `dir` with its bytes, to see that nothing changed.
std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::map<std::string, std::string> out;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(dir, ec))
        if (e.is_regular_file()) out[fs::relative(e.path(), dir).string()] = ReadFile(e.path().string());
    return out;
}

std::vector<std::string> PlaylistFiles(const std::string& m3u8) {
    std::vector<std::string> out;
    std::istringstream in(ReadFile(m3u8));
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#') out.push_back(line);
    return out;
}

// What ffprobe reads from a track: its tags ("title", "artist", ...) and "picture" = the codec of
// an attached picture stream.
std::map<std::string, std::string> Probe(const std::string& file) {
    std::string cmd = "ffprobe -v error -show_entries format_tags=title,artist,album,genre,track:"
                      "stream=codec_name:stream_disposition=attached_pic -of default=nw=1 '" +
                      file + "' 2>&1";
    std::map<std::string, std::string> out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return out;
    char buf[1024];
    std::string codec;
    while (fgets(buf, sizeof buf, p)) {
        std::string line = Trim(buf);
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key.rfind("TAG:", 0) == 0) out[key.substr(4)] = value;
        if (key == "codec_name") codec = value;
        if (key == "DISPOSITION:attached_pic" && value == "1") out["picture"] = codec;
    }
    pclose(p);
    return out;
}

// A source folder with the demo's categories and the given phrase lines.
std::string Lists(const TempDir& tmp, const std::string& phrases, const std::string& categories = "") {
    std::string dir = tmp / "source";
    WriteFile(dir + "/srcCategories.txt",
              categories.empty() ? ReadFile(Demo("sources/1source/srcCategories.txt")) : categories);
    WriteFile(dir + "/srcPhrases.txt", phrases);
    PathResolver::ClearCache();
    return dir;
}

ExportSettings Settings(const TempDir& tmp, const std::string& sourceDir) {
    ExportSettings s;
    s.targetDir = Demo("targets/target3");
    s.interfaceDir = Demo("Interface");
    s.sourceDir = sourceDir;
    s.dataDir = Demo("");
    s.targetName = "French";
    s.musicRoot = tmp / "Music";
    return s;
}

void RunToEnd(TPhraseExport& job) {
    for (int guard = 0; job.Step() && guard < 100000; ++guard) {
    }
}

const char* const kFew = "fw1|cat\r\nfw2|dog\r\nuse31|Good night\r\nuse1|Hello\r\nsh5|bread\r\nfw3|house\r\n";

TEST(PhraseExport, AllTheDemosPhrasesBecomeTaggedTracksInPlaylistOrder) {
    DemoCourse c;
    c.Prepare();
    c.Start({"target=3", "source=1"});
    const std::string music = c.tmp / "Music";
    TForm_iPod dialog(*c.main, 282, 514, {music, {}});
    auto started = std::chrono::steady_clock::now();
    dialog.DIBBS_iTunesClick();
    ASSERT_TRUE(dialog.exporting());
    for (int i = 0; i < 100000 && dialog.exporting(); ++i)
        c.Wait(50);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("export of all the demo's phrases: %.1f s\n", seconds);
    EXPECT_LT(seconds, 30.0);
    EXPECT_EQ(dialog.result(), TForm_iPod::Result::Completed);
    const TPhraseExport& job = *dialog.job();
    EXPECT_EQ(job.Position(), job.Maximum());
    // The closing message with the time (virtual here: well under a second) and the folder.
    EXPECT_EQ(dialog.finalMessage(),
              "Conversion complete in time 0:00.\n\nThe phrases are in " +
                  FolderForMessage(music + "/Parlora/" +
                                   TExportFolder::SafeName(kTitle + c.main->catalogue()->TargetName())) +
                  ".");

    std::string title = kTitle + c.main->catalogue()->TargetName();
    std::string folder = music + "/Parlora/" + TExportFolder::SafeName(title);
    EXPECT_EQ(Names(music + "/Parlora"), std::set<std::string>{TExportFolder::SafeName(title)});
    // The phrase with the male voice only is left out; every other phrase is in, in file order.
    int count = 0;
    auto cats = PhraseLists::LoadPhrases(c.main->folders().SourceDir, c.main->folders().DataDir, count);
    std::vector<std::pair<const TOurCategory*, std::string>> expected;
    for (const TOurCategory& cat : cats)
        for (const TOurPhrase& p : cat.phrases)
            if (p.code != "use31") expected.push_back({&cat, p.text});
    EXPECT_EQ(job.LeftOut(), std::vector<std::string>{"use31"});
    std::vector<std::string> files = PlaylistFiles(folder + "/" + TExportFolder::SafeName(title) + ".m3u8");
    ASSERT_EQ(files.size(), expected.size());
    EXPECT_EQ(Names(folder).size(), files.size() + 1);
    std::map<std::string, int> trackOf;
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i]);
        std::map<std::string, std::string> tags = Probe(folder + "/" + files[i]);
        const TOurCategory& cat = *expected[i].first;
        EXPECT_EQ(tags["title"], expected[i].second);
        EXPECT_EQ(tags["artist"], "Lingwell");
        EXPECT_EQ(tags["album"], title + " - " + cat.title);
        EXPECT_EQ(tags["genre"], "Speech");
        EXPECT_EQ(tags["track"], std::to_string(++trackOf[cat.code]));
        EXPECT_EQ(tags["picture"], "png");
    }
    // Nothing is left in the scratch folder or beside the export.
    EXPECT_FALSE(fs::exists(c.main->folders().TempDir + "/iPod"));
}

TEST(PhraseExport, ASecondExportReplacesTheFirstAndLeavesOutPhrasesWithOneVoice) {
    TempDir tmp;
    TPhraseExport first(Settings(tmp, Lists(tmp, kFew)));
    RunToEnd(first);
    ASSERT_EQ(first.state(), TPhraseExport::State::Done) << first.Error();
    const std::string folder = tmp / "Music/Parlora/Parlora! French";
    EXPECT_EQ(Names(folder),
              (std::set<std::string>{"01-01 cat.mp3", "01-02 dog.mp3", "01-03 house.mp3", "04-01 Hello.mp3",
                                     "08-01 bread.mp3", "Parlora! French.m3u8"}));
    EXPECT_EQ(first.LeftOut(), std::vector<std::string>{"use31"});
    EXPECT_EQ(first.Position(), 6);
    EXPECT_EQ(first.Maximum(), 6);
    // A phrase joins its category wherever it stands in the list; the playlist goes category by
    // category, in the order of the categories' file.
    EXPECT_EQ(PlaylistFiles(folder + "/Parlora! French.m3u8"),
              (std::vector<std::string>{"01-01 cat.mp3", "01-02 dog.mp3", "01-03 house.mp3",
                                        "04-01 Hello.mp3", "08-01 bread.mp3"}));
    EXPECT_EQ(Probe(folder + "/08-01 bread.mp3")["title"], "bread");

    // The second list names one phrase twice: both become tracks.
    TPhraseExport second(Settings(tmp, Lists(tmp, "fw4|four\r\nfw1|one again\r\nfw1|one again\r\n")));
    RunToEnd(second);
    ASSERT_EQ(second.state(), TPhraseExport::State::Done) << second.Error();
    EXPECT_EQ(Names(folder), (std::set<std::string>{"01-01 four.mp3", "01-02 one again.mp3",
                                                    "01-03 one again.mp3", "Parlora! French.m3u8"}));
    EXPECT_EQ(Probe(folder + "/01-02 one again.mp3")["title"], "one again");
    EXPECT_EQ(Probe(folder + "/01-03 one again.mp3")["track"], "3");
    EXPECT_EQ(Names(tmp / "Music/Parlora"), std::set<std::string>{"Parlora! French"});
}

TEST(PhraseExport, ACategoryWithoutItsFolderIsSkippedAndTheProgressStillReachesItsEnd) {
    TempDir tmp;
    // The target without its food folder.
    std::string target = tmp / "target3";
    test::MakeDirs(target);
    for (const auto& e : fs::directory_iterator(Demo("targets/target3")))
        if (e.path().filename() != "FD")
            fs::create_directory_symlink(e.path(), target + "/" + e.path().filename().string());
    ExportSettings s =
        Settings(tmp, Lists(tmp, "fw1|cat\r\nfd1|apple\r\nfd2|pear\r\nfd3|plum\r\nco1|red\r\n"));
    s.targetDir = target;
    TPhraseExport job(s);
    std::vector<int> positions;
    while (job.Step())
        positions.push_back(job.Position());
    ASSERT_EQ(job.state(), TPhraseExport::State::Done) << job.Error();
    EXPECT_EQ(job.Maximum(), 5);
    EXPECT_EQ(job.Position(), 5);
    // The three food phrases count at once.
    EXPECT_NE(std::find(positions.begin(), positions.end(), 4), positions.end());
    EXPECT_EQ(std::find(positions.begin(), positions.end(), 2), positions.end());
    EXPECT_EQ(Names(tmp / "Music/Parlora/Parlora! French"),
              (std::set<std::string>{"01-01 cat.mp3", "03-01 red.mp3", "Parlora! French.m3u8"}));
}

TEST(PhraseExport, AFemaleSoundInAnotherFormatIsConvertedAndAnUnreadableOneLeavesItsPhraseOut) {
    TempDir tmp;
    std::string target = tmp / "target3";
    test::MakeDirs(target + "/FW");
    fs::copy_file(Demo("targets/target3/FW/MFW1.aif"), target + "/FW/MFW1.aif");
    fs::copy_file(Demo("targets/target3/FW/MFW2.aif"), target + "/FW/MFW2.aif");
    fs::copy_file(Demo("targets/target3/FW/FFW2.aif"), target + "/FW/FFW2.aif");
    ASSERT_EQ(std::system(("sox '" + Demo("targets/target3/FW/FFW1.aif") + "' -r 44100 -c 2 -b 8 '" + target +
                           "/FW/FFW1.aif'")
                              .c_str()),
              0);
    WriteFile(target + "/FW/FFW3.aif", "FORM but not really");
    fs::copy_file(Demo("targets/target3/FW/MFW3.aif"), target + "/FW/MFW3.aif");
    ExportSettings s = Settings(tmp, Lists(tmp, "fw1|cat\r\nfw2|dog\r\nfw3|house\r\n"));
    s.targetDir = target;
    TPhraseExport job(s);
    RunToEnd(job);
    ASSERT_EQ(job.state(), TPhraseExport::State::Done) << job.Error();
    EXPECT_EQ(job.Converted(), 1);
    EXPECT_EQ(job.LeftOut(), std::vector<std::string>{"fw3"});
    EXPECT_EQ(job.Written(), 2);
    std::map<std::string, std::string> tags = Probe(tmp / "Music/Parlora/Parlora! French/01-01 cat.mp3");
    EXPECT_EQ(tags["title"], "cat");
}

// The dialog on the demo course with a short phrase list of its own, and an earlier export.
struct DialogCourse {
    DemoCourse c;
    std::string music;
    std::string folder;
    std::map<std::string, std::string> earlier;

    explicit DialogCourse(const std::string& phrases = kFew) {
        c.Prepare();
        c.Start({"target=3", "source=1"});
        music = c.tmp / "Music";
        c.main->folders().SourceDir = Lists(c.tmp, phrases);
        folder = music + "/Parlora/" + TExportFolder::SafeName(kTitle + c.main->catalogue()->TargetName());
    }
    void MakeEarlierExport() {
        TForm_iPod d(*c.main, 282, 514, {music, {}});
        d.DIBBS_iTunesClick();
        while (d.exporting())
            c.Wait(20);
        ASSERT_EQ(d.result(), TForm_iPod::Result::Completed) << d.finalMessage();
        WriteFile(folder + "/mine.txt", "the learner's");
        earlier = Snapshot(music);
        ASSERT_FALSE(earlier.empty());
    }
    bool NothingLeftOver() {
        std::set<std::string> names = Names(music + "/Parlora");
        return names.size() <= 1 && !fs::exists(c.main->folders().TempDir + "/iPod");
    }
};

TEST(PhraseExport, CancelAtTheFirstAMiddleAndTheLastPhraseKeepsTheEarlierExport) {
    DialogCourse d;
    d.MakeEarlierExport();
    for (int at : {1, 3, 6}) {
        SCOPED_TRACE(at);
        TForm_iPod dialog(*d.c.main, 282, 514, {d.music, {}});
        dialog.DIBBS_iTunesClick();
        while (dialog.exporting() && (!dialog.job() || dialog.job()->Position() < at))
            d.c.Wait(1);
        ASSERT_TRUE(dialog.exporting());
        ASSERT_EQ(dialog.job()->Position(), at);
        d.c.main->queueDialogAnswer("Yes");
        dialog.DIBBS_CancelClick();
        EXPECT_FALSE(dialog.exporting());
        EXPECT_EQ(dialog.result(), TForm_iPod::Result::Cancelled);
        EXPECT_EQ(dialog.finalMessage(), "Conversion cancelled.");
        EXPECT_EQ(Snapshot(d.music), d.earlier);
        EXPECT_TRUE(d.NothingLeftOver());
        d.c.Wait(100); // no step comes after the end
        EXPECT_EQ(Snapshot(d.music), d.earlier);
    }
}

TEST(PhraseExport, ClosingTheProgramDuringAnExportLeavesNothingBehind) {
    DialogCourse d;
    d.MakeEarlierExport();
    {
        TForm_iPod dialog(*d.c.main, 282, 514, {d.music, {}});
        dialog.DIBBS_iTunesClick();
        d.c.Wait(4);
        ASSERT_TRUE(dialog.exporting());
        ASSERT_GT(Names(d.music + "/Parlora").size(), 1u); // the staging folder
    }
    d.c.Wait(50);
    EXPECT_EQ(Snapshot(d.music), d.earlier);
    EXPECT_TRUE(d.NothingLeftOver());
}

TEST(PhraseExport, CancelAnsweredNoGoesOnToTheEnd) {
    DialogCourse d;
    d.MakeEarlierExport();
    TForm_iPod dialog(*d.c.main, 282, 514, {d.music, {}});
    dialog.DIBBS_iTunesClick();
    d.c.Wait(3);
    ASSERT_TRUE(dialog.exporting());
    d.c.main->queueDialogAnswer("No");
    dialog.DIBBS_CancelClick();
    EXPECT_TRUE(dialog.exporting());
    while (dialog.exporting())
        d.c.Wait(20);
    EXPECT_EQ(dialog.result(), TForm_iPod::Result::Completed);
    EXPECT_EQ(dialog.finalMessage(),
              "Conversion complete in time 0:00.\n\nThe phrases are in " + FolderForMessage(d.folder) + ".");
    // A new export replaced the earlier one; the learner's file stayed.
    EXPECT_EQ(ReadFile(d.folder + "/mine.txt"), "the learner's");
    EXPECT_TRUE(d.NothingLeftOver());
    // Without an export running, Cancel closes the dialog at once.
    TForm_iPod idle(*d.c.main, 282, 514, {d.music, {}});
    idle.DIBBS_CancelClick();
    EXPECT_TRUE(idle.finished());
    EXPECT_EQ(idle.result(), TForm_iPod::Result::Cancelled);
}

TEST(PhraseExport, EachFailureShowsItsMessageAndKeepsTheEarlierExport) {
    DialogCourse d;
    d.MakeEarlierExport();
    const std::string source = d.c.main->folders().SourceDir;
    auto failWith = [&](const std::function<void()>& prepare, const std::string& message) {
        SCOPED_TRACE(message);
        CourseFolders saved = d.c.main->folders();
        prepare();
        PathResolver::ClearCache();
        TForm_iPod dialog(*d.c.main, 282, 514, {d.music, {}});
        dialog.DIBBS_iTunesClick();
        while (dialog.exporting())
            d.c.Wait(20);
        d.c.main->folders() = saved;
        EXPECT_EQ(dialog.result(), TForm_iPod::Result::Cancelled);
        EXPECT_EQ(dialog.finalMessage(), message);
        EXPECT_EQ(Snapshot(d.music), d.earlier);
        EXPECT_TRUE(d.NothingLeftOver());
    };
    failWith([&] { d.c.main->folders().SourceDir = d.c.tmp / "nowhere"; },
             "Can't find file " + d.c.tmp / "nowhere" + "\\srcCategories.txt");
    failWith([&] { WriteFile(source + "/srcPhrases.txt", "fw1|cat\r\n12|twelve\r\n"); },
             "Bad line in scrPhrases.txt: 12|twelve");
    failWith([&] { WriteFile(source + "/srcPhrases.txt", "fw1|cat\r\nFD1|apple\r\n"); },
             "Unknown category code FD");
    std::string iface = d.c.tmp / "iface";
    failWith(
        [&] {
            WriteFile(source + "/srcPhrases.txt", "fw1|cat\r\n");
            test::MakeDirs(iface);
            d.c.main->folders().InterfaceDir = iface;
        },
        "Unknown picture " + iface + "\\FirstWords\\SmallImages\\fw1.png");
    // A category the course has no pictures for, whose sounds are there.
    std::string target = d.c.tmp / "target";
    failWith(
        [&] {
            WriteFile(source + "/srcCategories.txt", "zz|Extra\r\n");
            WriteFile(source + "/srcPhrases.txt", "zz1|one\r\n");
            test::MakeDirs(target + "/zz");
            fs::copy_file(Demo("targets/target3/FW/MFW1.aif"), target + "/zz/mzz1.aif");
            fs::copy_file(Demo("targets/target3/FW/FFW1.aif"), target + "/zz/fzz1.aif");
            d.c.main->folders().TargetDir = target;
        },
        "Unknown directory zz");
    WriteFile(source + "/srcCategories.txt", ReadFile(Demo("sources/1source/srcCategories.txt")));
    WriteFile(source + "/srcPhrases.txt", kFew);
    // A music folder that cannot be written: a file stands where the folder should be.
    std::string blocked = d.c.tmp / "blocked";
    WriteFile(blocked, "a file");
    TForm_iPod dialog(*d.c.main, 282, 514, {blocked, {}});
    dialog.DIBBS_iTunesClick();
    while (dialog.exporting())
        d.c.Wait(20);
    EXPECT_EQ(dialog.finalMessage(), "Can't create directory " + blocked + "/Parlora");
    EXPECT_EQ(Snapshot(d.music), d.earlier);
}

TEST(PhraseExport, APlayerGetsTheSameExportWhenChosenAndTheDebugLogTellsTheSteps) {
    DialogCourse d("fw1|cat\r\nuse1|Hello\r\n");
    d.c.main->settings().Debug = true;
    d.c.main->settings().iPodDebug = true;
    TempDir player;
    test::MakeDirs(player / "Music");
    PortablePlayer p{player.path(), player / "Music", "PLAYER"};
    {
        TForm_iPod dialog(*d.c.main, 282, 514, {d.music, {p}});
        EXPECT_TRUE(dialog.playersChosen());
        dialog.DIBBS_iTunesClick();
        while (dialog.exporting())
            d.c.Wait(20);
        ASSERT_EQ(dialog.result(), TForm_iPod::Result::Completed) << dialog.finalMessage();
    }
    std::string onPlayer = player / "Music/Parlora/" + fs::path(d.folder).filename().string();
    EXPECT_EQ(Snapshot(onPlayer), Snapshot(d.folder));
    EXPECT_EQ(Names(onPlayer).size(), 3u);
    std::string log = ReadFile(RuntimeDir() + "/parlora-debug.log");
    for (const char* line : {"MakePlayList Parlora! ", "ConcatCat fw", "StartCompressCat fw",
                             "AdjustTracks use", "DumpOldTracks Parlora! ", "DelTree"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    // Unticked, the player is left alone.
    fs::remove_all(player / "Music/Parlora");
    TForm_iPod dialog(*d.c.main, 282, 514, {d.music, {p}});
    dialog.Label_PlayerClick();
    EXPECT_FALSE(dialog.playersChosen());
    dialog.DIBBS_iTunesClick();
    while (dialog.exporting())
        d.c.Wait(20);
    EXPECT_EQ(dialog.result(), TForm_iPod::Result::Completed);
    EXPECT_FALSE(fs::exists(player / "Music/Parlora"));
}

TEST(PhraseExport, TrackFilesAreNamedByTheirWordsWithSafeCharactersOnly) {
    auto name = [](const std::string& text) { return TPhraseExport::TrackFileName(2, 7, text, "use7"); };
    EXPECT_EQ(name("Good morning!"), "02-07 Good morning.mp3");
    EXPECT_EQ(name("¿Dónde está la estación?"), "02-07 Dónde está la estación.mp3");
    EXPECT_EQ(name("Grüß Gott, Jürgen-Rose"), "02-07 Grüß Gott Jürgen-Rose.mp3");
    EXPECT_EQ(name("l'eau"), "02-07 l eau.mp3");
    EXPECT_EQ(name("Доброе утро"), "02-07 Доброе утро.mp3");
    EXPECT_EQ(name("早上好。"), "02-07 早上好.mp3");
    // Nothing of a path, a hidden file or a control character survives.
    EXPECT_EQ(name("../../etc/passwd"), "02-07 etc passwd.mp3");
    EXPECT_EQ(name("a\tb\nc\x01"
                   "d\x7F/e:f*?\"<>|"),
              "02-07 a b c d e f.mp3");
    EXPECT_EQ(name(".hidden"), "02-07 hidden.mp3");
    EXPECT_EQ(name("-rf --now-"), "02-07 rf --now.mp3");
    // Malformed UTF-8, pictographs and private use are gaps; no words at all give the code.
    EXPECT_EQ(name("caf\xC3 ok \xF0\x9F\x98\x80 \xEE\x80\x80x"), "02-07 caf ok x.mp3");
    EXPECT_EQ(name("?!... \xF0\x9F\x8D\x8E"), "02-07 use7.mp3");
    EXPECT_EQ(TPhraseExport::TrackFileName(1, 1, "", "../fw1"), "01-01 _fw1.mp3");
    // Long phrases stop at a character boundary within the bound.
    std::string longText;
    for (int i = 0; i < 40; ++i)
        longText += "ééé ";
    std::string words = name(longText);
    words = words.substr(6, words.size() - 10);
    EXPECT_LE(words.size(), TPhraseExport::kMaxWordsBytes);
    EXPECT_GT(words.size(), TPhraseExport::kMaxWordsBytes - 8);
    EXPECT_EQ(words.substr(0, 7), "ééé ");
    EXPECT_NE(words.back(), ' ');
    EXPECT_EQ(words.size() % 7, 6u) << "whole words of whole characters: " << words;
}

TEST(PhraseExport, TheEndMessageNamesTheFolderAsTheDesktopShowsItAndOffersToOpenIt) {
    DialogCourse d("fw1|cat\r\n");
    struct HomeBack {
        std::string old = std::getenv("HOME") ? std::getenv("HOME") : "";
        ~HomeBack() { ::setenv("HOME", old.c_str(), 1); }
    } homeBack;
    ::setenv("HOME", d.c.tmp.path().c_str(), 1);
    auto exportOnce = [&] {
        TForm_iPod dialog(*d.c.main, 282, 514, {d.music, {}});
        dialog.DIBBS_iTunesClick();
        while (dialog.exporting())
            d.c.Wait(20);
        EXPECT_EQ(dialog.result(), TForm_iPod::Result::Completed);
        return dialog.finalMessage();
    };
    const std::string where =
        "The phrases are in Music / Parlora / " + fs::path(d.folder).filename().string() + ".";
    // Without a desktop: the message alone.
    EXPECT_EQ(exportOnce(), "Conversion complete in time 0:00.\n\n" + where);
    HeadlessShell& shell = d.c.platform.headlessShell();
    EXPECT_TRUE(shell.openedFolders().empty());
    // With one, the question; No leaves the folder closed, Yes opens it.
    shell.setDesktop(true);
    d.c.main->queueDialogAnswer("No");
    EXPECT_EQ(exportOnce(), "Conversion complete in time 0:00.\n\n" + where + "\n\nOpen the folder now?");
    EXPECT_TRUE(shell.openedFolders().empty());
    d.c.main->queueDialogAnswer("Yes");
    exportOnce();
    EXPECT_EQ(shell.openedFolders(), std::vector<std::string>{d.folder});
    EXPECT_TRUE(shell.openedUrls().empty());
}

} // namespace
} // namespace parlora
