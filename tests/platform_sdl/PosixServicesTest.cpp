// The POSIX services: the single-instance lock, the per-user folders and the shell.
#include "platform/PosixShell.h"
#include "platform/SingleInstance.h"
#include "platform/XdgFolders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace parlora;

namespace {

// Sets (or clears, with nullptr) an environment variable for one test and restores it after.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_.c_str(), old_->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }

  private:
    std::string name_;
    std::optional<std::string> old_;
};

fs::path freshTempDir(const std::string& name) {
    fs::path p = fs::temp_directory_path() / ("parlora-sdl-test-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}

std::optional<int> waitForProgram(PosixShell& shell, int handle) {
    for (int i = 0; i < 400; ++i) {
        if (auto code = shell.pollProgram(handle)) return code;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::nullopt;
}

} // namespace

TEST(SingleInstance, SecondProcessIsRefusedUntilTheHolderEnds) {
    fs::path dir = freshTempDir("lock");
    std::string lockPath = (dir / "parloraplus.lock").string();

    SingleInstance first;
    ASSERT_TRUE(first.acquire(lockPath));
    EXPECT_TRUE(first.acquire(lockPath)); // asking again in the holder is harmless

    auto childTries = [&] {
        pid_t pid = fork();
        if (pid == 0) {
            SingleInstance other;
            _exit(other.acquire(lockPath) ? 0 : 1);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    EXPECT_FALSE(childTries());
    first.release();
    EXPECT_TRUE(childTries());
    fs::remove_all(dir);
}

TEST(SingleInstance, UnopenableLockFileFails) {
    SingleInstance lock;
    EXPECT_FALSE(lock.acquire("/nonexistent-folder-for-parlora/x.lock"));
    EXPECT_FALSE(lock.held());
}

TEST(XdgFolders, VariablesWinAndHomeIsTheFallback) {
    ScopedEnv home("HOME", "/home/ana");
    {
        ScopedEnv c("XDG_CONFIG_HOME", "/cfg");
        ScopedEnv d("XDG_DATA_HOME", "/data");
        EXPECT_EQ(XdgConfigHome(), "/cfg");
        EXPECT_EQ(XdgDataHome(), "/data");
    }
    {
        ScopedEnv c("XDG_CONFIG_HOME", nullptr);
        ScopedEnv d("XDG_DATA_HOME", "relative/path"); // not absolute: ignored
        EXPECT_EQ(XdgConfigHome(), "/home/ana/.config");
        EXPECT_EQ(XdgDataHome(), "/home/ana/.local/share");
    }
    {
        ScopedEnv h("HOME", nullptr);
        ScopedEnv c("XDG_CONFIG_HOME", nullptr);
        ScopedEnv d("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(XdgDataHome(), "");
        EXPECT_EQ(XdgConfigHome(), "");
    }
}

TEST(XdgFolders, RuntimeAndTempFolders) {
    fs::path dir = freshTempDir("runtime");
    {
        ScopedEnv r("XDG_RUNTIME_DIR", dir.c_str());
        EXPECT_EQ(RuntimeDir(), dir.string());
        EXPECT_EQ(ProgramTempDir(), (dir / "ParloraPlus").string());
    }
    {
        ScopedEnv r("XDG_RUNTIME_DIR", "/nonexistent-runtime-dir");
        EXPECT_EQ(RuntimeDir(), "/tmp/ParloraPlus-" + std::to_string(getuid()));
        // Inside it, so that emptying the temporary folder leaves the lock and the log alone.
        EXPECT_EQ(ProgramTempDir(), RuntimeDir() + "/ParloraPlus");
    }
    EXPECT_FALSE(ExecutableDir().empty());
    EXPECT_TRUE(fs::exists(fs::path(ExecutableDir()) / "platform_sdl_tests"));

    fs::create_directories(dir / "a" / "b");
    std::ofstream(dir / "a" / "b" / "f.txt") << "x";
    DeleteFolderTree((dir / "a").string());
    EXPECT_FALSE(fs::exists(dir / "a"));
    DeleteFolderTree((dir / "missing").string()); // no throw
    fs::remove_all(dir);
}

TEST(PosixShell, ProgramExitCodesAndFolder) {
    PosixShell shell;
    int h = shell.startProgram("/bin/sh", {"-c", "exit 3"}, "");
    ASSERT_GT(h, 0);
    EXPECT_EQ(waitForProgram(shell, h), 3);
    EXPECT_EQ(shell.pollProgram(h), 3); // asking again after the end still answers

    fs::path dir = freshTempDir("shell");
    int pwd = shell.startProgram("sh", {"-c", "[ \"$(pwd -P)\" = \"" + fs::canonical(dir).string() + "\" ]"},
                                 dir.string());
    ASSERT_GT(pwd, 0);
    EXPECT_EQ(waitForProgram(shell, pwd), 0);

    EXPECT_EQ(shell.startProgram("/nonexistent/program", {}, ""), -1);
    EXPECT_EQ(shell.startProgram("sh", {}, "/nonexistent-folder"), -1);
    EXPECT_EQ(shell.pollProgram(999999), std::nullopt);
    fs::remove_all(dir);
}

TEST(PosixShell, LocaleOrder) {
    EXPECT_EQ(PosixShell::LocaleFrom("de_DE.UTF-8", "pt_BR.UTF-8", "en_US"), "de_DE.UTF-8");
    EXPECT_EQ(PosixShell::LocaleFrom("", "pt_BR.UTF-8", "en_US"), "pt_BR.UTF-8");
    EXPECT_EQ(PosixShell::LocaleFrom(nullptr, "", "en_US"), "en_US");
    EXPECT_EQ(PosixShell::LocaleFrom(nullptr, nullptr, nullptr), "");

    ScopedEnv all("LC_ALL", nullptr);
    ScopedEnv msg("LC_MESSAGES", "es_ES.UTF-8");
    ScopedEnv lang("LANG", "fr_FR.UTF-8");
    EXPECT_EQ(PosixShell().localeName(), "es_ES.UTF-8");
}

TEST(PosixShell, DiscMountsFromTheMountTable) {
    const std::string table = "/dev/sda1 / ext4 rw,relatime 0 0\n"
                              "/dev/sr0 /media/ana/COURSE\\040DISC iso9660 ro,nosuid 0 0\n"
                              "/dev/sr1 /run/media/ana/DVD udf ro 0 0\n"
                              "tmpfs /media/ana/usb vfat rw 0 0\n"
                              "broken-line\n"
                              "/dev/sr0 /media/ana/COURSE\\040DISC iso9660 ro,nosuid 0 0\n";
    auto mounts = PosixShell::DiscMountsFrom(table);
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[0], "/media/ana/COURSE DISC");
    EXPECT_EQ(mounts[1], "/run/media/ana/DVD");

    fs::path dir = freshTempDir("mounts");
    std::ofstream(dir / "mounts") << table;
    PosixShell shell;
    shell.setMountTable((dir / "mounts").string());
    EXPECT_EQ(shell.discMounts().size(), 2u);
    shell.setMountTable((dir / "none").string());
    EXPECT_TRUE(shell.discMounts().empty());
    fs::remove_all(dir);
}

TEST(XdgFolders, WithoutARuntimeVariableEachUserHasAFolderOfTheirOwn) {
    ScopedEnv r("XDG_RUNTIME_DIR", nullptr);
    std::string dir = RuntimeDir();
    ASSERT_NE(dir, "/tmp") << "a folder shared by every user";
    struct stat st {};
    ASSERT_EQ(lstat(dir.c_str(), &st), 0) << dir;
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, getuid());
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    if (getuid() != 0) GTEST_SKIP() << "another user needs root to be played";

    // The first user starts the course; a second user on the same computer must still be able to.
    SingleInstance first;
    ASSERT_TRUE(first.acquire(RuntimeDir() + "/parloraplus.lock"));
    fs::path log = fs::path(dir) / "parlora-debug.log";
    std::ofstream(log, std::ios::app) << "first user\n";
    pid_t pid = fork();
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
        std::string other = RuntimeDir();
        if (other.empty() || other == dir) _exit(4);
        SingleInstance second;
        if (!second.acquire(other + "/parloraplus.lock")) _exit(5);
        std::ofstream(other + "/parlora-debug.log", std::ios::app) << "second user\n";
        _exit(std::ifstream(other + "/parlora-debug.log") ? 0 : 6);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: no such user, 4: same folder, 5: told it is already running, "
                                         "6: no debug log";
    fs::remove_all("/tmp/ParloraPlus-65534");
}

TEST(XdgFolders, APrivateFolderIsMadeOrRefused) {
    fs::path dir = freshTempDir("private");
    std::string made = (dir / "mine").string();
    ASSERT_TRUE(MakePrivateFolder(made));
    struct stat st {};
    ASSERT_EQ(lstat(made.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(MakePrivateFolder(made)) << "ours already";

    // Ours but open to others (made by an older version): closed again.
    fs::create_directory(dir / "open");
    fs::permissions(dir / "open", fs::perms::all);
    EXPECT_TRUE(MakePrivateFolder((dir / "open").string()));
    EXPECT_EQ(fs::status(dir / "open").permissions() & fs::perms::all, fs::perms::owner_all);

    // A link planted in our place, even to a folder of ours, and a file are refused.
    fs::create_directory_symlink(made, dir / "link");
    EXPECT_FALSE(MakePrivateFolder((dir / "link").string()));
    std::ofstream(dir / "file") << "x";
    EXPECT_FALSE(MakePrivateFolder((dir / "file").string()));
    if (getuid() == 0) {
        fs::create_directory(dir / "theirs");
        ASSERT_EQ(chown((dir / "theirs").c_str(), 65534, 65534), 0);
        fs::permissions(dir / "theirs", fs::perms::owner_all);
        EXPECT_FALSE(MakePrivateFolder((dir / "theirs").string())) << "someone else's folder";
    }
    fs::remove_all(dir);
}
