// Records files in a folder another local user can write into (a school's shared records folder:
// writable by all, no sticky bit, so the kernel's protected_symlinks does not step in), and names
// that are not files at all.
#include "core/Errors.h"
#include "core/ProfileFile.h"
#include "tests/core/TempDir.h"

#include <filesystem>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace parlora;
namespace fs = std::filesystem;

// AddressSanitizer reserves far more address space than a memory limit would leave it.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PARLORA_HAS_ASAN 1
#endif
#endif
#ifndef PARLORA_HAS_ASAN
#define PARLORA_HAS_ASAN 0
#endif

namespace {

constexpr uid_t kOther = 65534;

// Runs `work` in a child process as `uid`: its exit code, or -1 when it still ran after 10 s.
int InChild(const std::function<int()>& work, uid_t uid = getuid()) {
    pid_t pid = fork();
    if (pid == 0) {
        if (uid != getuid() &&
            (setgroups(0, nullptr) || setresgid(uid, uid, uid) || setresuid(uid, uid, uid)))
            _exit(90);
        try {
            _exit(work());
        } catch (...) {
            _exit(91);
        }
    }
    int status = 0;
    for (int i = 0; i < 1000; ++i, usleep(10000))
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

// 0 when the write fails with the course's message, as it must.
int WriteRefused(const std::string& path, const char* value) {
    try {
        ProfileFile::Write(path, "Defaults", "Source", value);
    } catch (const ProfileError&) {
        return 0;
    }
    return 1;
}

struct SharedRecords : ::testing::Test {
    test::TempDir dir;
    std::string shared = dir.file("Scores"), records = shared + "/Parlora5.ini",
                victim = dir.file("victim.txt");
    void SetUp() override {
        fs::create_directory(shared);
        fs::permissions(shared, fs::perms::all);
        dir.write("victim.txt", "the victim's own text\n");
    }
};

TEST_F(SharedRecords, LinksPlantedByAnotherUserLeadNowhere) {
    if (getuid() != 0) GTEST_SKIP() << "playing a second user needs root";
    auto plant = [&] {
        for (int n = 0; n < 999; ++n)
            if (symlink(victim.c_str(), (shared + "/iexist" + std::to_string(n) + ".txt").c_str())) return 1;
        return symlink(victim.c_str(), records.c_str());
    };
    ASSERT_EQ(InChild(plant, kOther), 0);
    EXPECT_TRUE(FolderTakesNewFiles(shared, "iexist7-"));
    EXPECT_EQ(WriteRefused(records, "1"), 0);
    EXPECT_EQ(dir.read("victim.txt"), "the victim's own text\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(shared), {}), 1000) << "the write test leaves nothing";
}

TEST_F(SharedRecords, ARecordsFileKeepsItsOwner) {
    if (getuid() != 0) GTEST_SKIP() << "playing a second user needs root";
    dir.write("Scores/Parlora5.ini", "[Defaults]\r\nStudents=Ana\r\n");
    EXPECT_EQ(InChild([&] { return WriteRefused(records, "1"); }, kOther), 0)
        << "root's file is not taken over";
    struct stat st {};
    ASSERT_EQ(stat(records.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(dir.read("Scores/Parlora5.ini"), "[Defaults]\r\nStudents=Ana\r\n");

    // With the rights to, the new copy goes back to its owner, with its mode.
    ASSERT_EQ(chown(records.c_str(), kOther, kOther), 0);
    ASSERT_EQ(chmod(records.c_str(), 0640), 0);
    ProfileFile::Write(records, "Defaults", "Source", "2");
    ASSERT_EQ(stat(records.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kOther);
    EXPECT_EQ(st.st_gid, kOther);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A file the class may write (here everyone) is written by another pupil, and stays open to all.
    ASSERT_EQ(chown(records.c_str(), 0, 0), 0);
    ASSERT_EQ(chmod(records.c_str(), 0666), 0);
    EXPECT_EQ(InChild(
                  [&] {
                      ProfileFile::Write(records, "Defaults", "Source", "3");
                      return 0;
                  },
                  kOther),
              0);
    EXPECT_EQ(ProfileFile::Read(records, "Defaults", "Source", ""), "3");
    ASSERT_EQ(stat(records.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666u);
}

TEST_F(SharedRecords, WhatIsNotAFileFailsAtOnce) {
    ASSERT_EQ(mkfifo(records.c_str(), 0666), 0);
    ASSERT_EQ(symlink("/dev/zero", (shared + "/Parlora6.ini").c_str()), 0); // our own link, to no file
    dir.write("Scores/Parlora7.ini", "[Defaults]\r\nSource=1\r\n");
    fs::resize_file(shared + "/Parlora7.ini", kProfileFileMaxBytes + 1);
    for (const std::string& path : {records, shared + "/Parlora6.ini", shared + "/Parlora7.ini"}) {
        auto readAndWrite = [&] {
#if !defined(__SANITIZE_ADDRESS__) && !PARLORA_HAS_ASAN
            rlimit memory{1u << 30, 1u << 30}; // a reader of /dev/zero ends here, not the machine
            setrlimit(RLIMIT_AS, &memory);
#endif
            return ProfileFile::Read(path, "Defaults", "Source", "none") != "none" ? 2
                                                                                   : WriteRefused(path, "2");
        };
        EXPECT_EQ(InChild(readAndWrite), 0) << path << " (-1: blocked)";
    }
}

TEST_F(SharedRecords, OwnLinkIntoASyncedFolderStillWorks) {
    uid_t user = getuid() == 0 ? kOther : getuid(); // not root, whose links are trusted anyway
    dir.write("sync/Parlora5.ini", "[Defaults]\r\nStudents=Ana\r\n");
    ASSERT_EQ(chown(dir.file("sync").c_str(), user, user), 0);
    ASSERT_EQ(chown(dir.file("sync/Parlora5.ini").c_str(), user, user), 0);
    auto linkAndWrite = [&] {
        if (symlink("../sync/Parlora5.ini", records.c_str()) != 0) return 1;
        ProfileFile::Write(records, "Ana", "Score", "12");
        return ProfileFile::Read(records, "Ana", "Score", "") == "12" ? 0 : 2;
    };
    EXPECT_EQ(InChild(linkAndWrite, user), 0);
    EXPECT_TRUE(fs::is_symlink(records));
    EXPECT_EQ(ProfileFile::Read(dir.file("sync/Parlora5.ini"), "Ana", "Score", ""), "12");
}

} // namespace
