// Where an export lands: a staging folder swapped in at the end, the earlier export of the same
// title replaced (its tracks only), everything else left alone; the music folder and the players.
#include "export/ExportFolder.h"

#include "core/Errors.h"
#include "export/Mp3Track.h"
#include "platform/MusicFolders.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace parlora {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::set<std::string> Names(const std::string& dir) {
    std::set<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        out.insert(e.path().filename().string());
    return out;
}

void Track(const std::string& path, const std::string& artist, const std::string& album) {
    TrackPcm pcm;
    pcm.sampleRate = 22050;
    pcm.channels = 1;
    pcm.samples.assign(2205, 0);
    Mp3Track::Encode(pcm, path);
    TrackTags tags;
    tags.title = "t";
    tags.artist = artist;
    tags.album = album;
    tags.genre = "Speech";
    tags.track = 1;
    Mp3Track::WriteTags(path, tags);
}

TEST(ExportFolder, ASecondExportReplacesOurTracksAndKeepsTheLearnersFiles) {
    TempDir tmp;
    const std::string root = tmp / "Music/Parlora", title = "Parlora! French";
    {
        TExportFolder first(root, title, "Lingwell");
        first.Begin();
        Track(first.StagingDir() + "/01-01 fw1.mp3", "Lingwell", title + " - First words");
        Track(first.StagingDir() + "/01-02 fw2.mp3", "Lingwell", title + " - First words");
        first.Commit({{"01-01 fw1.mp3", "Lingwell", "cat", 1.4}, {"01-02 fw2.mp3", "Lingwell", "dog", 1.6}});
    }
    const std::string final = root + "/Parlora! French";
    EXPECT_EQ(Names(final),
              (std::set<std::string>{"01-01 fw1.mp3", "01-02 fw2.mp3", "Parlora! French.m3u8"}));
    // The learner adds things of their own to the folder, and another export sits beside it.
    WriteFile(final + "/notes.txt", "mine");
    Track(final + "/song.mp3", "Someone", "Holidays");
    Track(final + "/other.mp3", "Lingwell", "Parlora! Spanish - Food");
    WriteFile(root + "/Parlora! Spanish/x.mp3", "other export");
    WriteFile(final + "/01-01 fw1.txt", "a name like ours");

    TExportFolder second(root, title, "Lingwell");
    second.Begin();
    Track(second.StagingDir() + "/01-01 fw3.mp3", "Lingwell", title + " - First words");
    second.Commit({{"01-01 fw3.mp3", "Lingwell", "house", 1.5}});
    EXPECT_EQ(Names(final), (std::set<std::string>{"01-01 fw3.mp3", "Parlora! French.m3u8", "notes.txt",
                                                   "song.mp3", "other.mp3", "01-01 fw1.txt"}));
    EXPECT_EQ(ReadFile(final + "/notes.txt"), "mine");
    EXPECT_EQ(ReadFile(final + "/Parlora! French.m3u8"),
              "#EXTM3U\n#PLAYLIST:Parlora! French\n#EXTINF:2,Lingwell - house\n01-01 fw3.mp3\n");
    EXPECT_EQ(Names(root), (std::set<std::string>{"Parlora! French", "Parlora! Spanish"}));
}

TEST(ExportFolder, AnAbandonedExportLeavesTheEarlierOneAndNoStagingFolder) {
    TempDir tmp;
    const std::string root = tmp / "Music/Parlora";
    WriteFile(root + "/Parlora! French/01-01 fw1.mp3", "earlier");
    {
        TExportFolder f(root, "Parlora! French", "Lingwell");
        f.Begin();
        WriteFile(f.StagingDir() + "/01-01 fw1.mp3", "half");
        EXPECT_EQ(Names(root).size(), 2u);
        f.Abandon();
    }
    EXPECT_EQ(Names(root), std::set<std::string>{"Parlora! French"});
    EXPECT_EQ(ReadFile(root + "/Parlora! French/01-01 fw1.mp3"), "earlier");
    // A staging folder left by a killed run goes at the next start; so does a cut-short swap.
    WriteFile(root + "/.Parlora! French.part/01-01 fw1.mp3", "killed");
    fs::rename(root + "/Parlora! French", root + "/.Parlora! French.old");
    TExportFolder again(root, "Parlora! French", "Lingwell");
    again.Begin();
    EXPECT_EQ(Names(again.StagingDir()).size(), 0u);
    EXPECT_EQ(ReadFile(root + "/Parlora! French/01-01 fw1.mp3"), "earlier");
}

TEST(ExportFolder, AFolderThatCannotBeWrittenSaysSo) {
    TempDir tmp;
    WriteFile(tmp / "Music", "a file where the folder should be");
    TExportFolder f(tmp / "Music/Parlora", "Parlora! French", "Lingwell");
    try {
        f.Begin();
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), "Can't create directory " + tmp / "Music/Parlora");
    }
}

TEST(ExportFolder, NamesSuitEveryFileSystem) {
    EXPECT_EQ(TExportFolder::SafeName("Parlora! French"), "Parlora! French");
    EXPECT_EQ(TExportFolder::SafeName("a/b\\c:d*e?\"<>|"), "a_b_c_d_e_____");
    EXPECT_EQ(TExportFolder::SafeName("..hidden. "), "hidden");
    EXPECT_EQ(TExportFolder::SafeName(""), "Parlora");
}

TEST(MusicFolders, TheDesktopsMusicFolderElseMusicAtHome) {
    EXPECT_EQ(MusicDirFromUserDirs("# comment\nXDG_MUSIC_DIR=\"$HOME/Musique\"\n", "/home/k"),
              "/home/k/Musique");
    EXPECT_EQ(MusicDirFromUserDirs("XDG_MUSIC_DIR=\"/srv/tunes/\"\n", "/home/k"), "/srv/tunes");
    EXPECT_EQ(MusicDirFromUserDirs("XDG_MUSIC_DIR=\"$HOME/\"\n", "/home/k"), "");
    EXPECT_EQ(MusicDirFromUserDirs("XDG_VIDEOS_DIR=\"$HOME/Videos\"\n", "/home/k"), "");
    TempDir tmp;
    std::string oldHome = getenv("HOME") ? getenv("HOME") : "",
                oldConfig = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
    setenv("HOME", tmp.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (tmp / "cfg").c_str(), 1);
    EXPECT_EQ(UserMusicDir(), tmp / "Music");
    WriteFile(tmp / "cfg/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Audio\"\n");
    EXPECT_EQ(UserMusicDir(), tmp / "Audio");
    setenv("HOME", oldHome.c_str(), 1);
    if (oldConfig.empty())
        unsetenv("XDG_CONFIG_HOME");
    else
        setenv("XDG_CONFIG_HOME", oldConfig.c_str(), 1);
}

TEST(MusicFolders, PlayersAreRemovableMountsWithAMusicFolder) {
    TempDir tmp;
    test::MakeDirs(tmp / "player/MUSIC");
    test::MakeDirs(tmp / "stick");
    test::MakeDirs(tmp / "disk/Music");
    test::MakeDirs(tmp / "with space/Music");
    WriteFile(tmp / "sys/sdb/removable", "1\n");
    WriteFile(tmp / "sys/sdc/removable", "1\n");
    WriteFile(tmp / "sys/sda/removable", "0\n");
    WriteFile(tmp / "sys/mmcblk0/removable", "1\n");
    std::string table = "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                        "40 22 8:17 / " +
                        tmp / "player" +
                        " rw,nosuid - vfat /dev/sdb1 rw\n"
                        "41 22 8:33 / " +
                        tmp / "stick" +
                        " rw - vfat /dev/sdc1 rw\n"
                        "42 22 8:2 / " +
                        tmp / "disk" +
                        " rw - ext4 /dev/sda2 rw\n"
                        "43 22 179:1 / " +
                        tmp / "with\\040space" +
                        " rw shared:1 - exfat /dev/mmcblk0p1 rw\n"
                        "garbage line\n";
    std::vector<PortablePlayer> players = PortablePlayersFrom(table, tmp / "sys");
    ASSERT_EQ(players.size(), 2u);
    EXPECT_EQ(players[0].musicDir, tmp / "player/MUSIC");
    EXPECT_EQ(players[0].label, "player");
    EXPECT_EQ(players[1].mountPoint, tmp / "with space");
}

} // namespace
} // namespace parlora
