// The real program, headless, ended by SIGTERM, SIGINT or SIGHUP: it closes the orderly way (exit
// code, temporary folder removed, records intact), also with a dialog open. And at its start it
// clears what a killed writer left in the records folder.
#include "core/ProfileFile.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace parlora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct SignalClose : ::testing::Test {
    test::TempDir tmp;
    pid_t pid = -1;

    void SetUp() override {
        test::MakeDirs(tmp / "run");
        test::MakeDirs(tmp / "course");
        for (const char* entry : {"data", "Update"})
            fs::create_directory_symlink(PARLORA_BINARY_DIR "/demo/parlora/" + std::string(entry),
                                         tmp / ("course/" + std::string(entry)));
    }
    void TearDown() override {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    // Starts the program on `script`; its output goes to out.txt.
    void Start(const std::string& script) {
        test::WriteFile(tmp / "script.txt", script);
        std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + (tmp / "run"),
                                        "XDG_DATA_HOME=" + (tmp / "share"),
                                        "XDG_CONFIG_HOME=" + (tmp / "config"),
                                        "PARLORA_HOME=" + (tmp / "course"),
                                        "PARLORA_DISC_MOUNTS=",
                                        "PATH=/usr/bin:/bin"};
        std::vector<std::string> args = {test::ParloraBinary(), "--headless",
                                         "--script=" + (tmp / "script.txt"), "target=3", "source=1"};
        std::vector<char*> argv, envp;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        std::string out = tmp / "out.txt";
        posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&files, 1, 2);
        ASSERT_EQ(posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&files);
    }
    // Waits until `ready` holds (or the program has ended, or 20 s have passed).
    bool WaitFor(const std::function<bool()>& ready) {
        for (int i = 0; i < 2000; ++i) {
            if (ready()) return true;
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return false;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    // Sends `sig` and returns the wait status (-1 when it did not end within 20 s).
    int SignalAndWait(int sig) {
        kill(pid, sig);
        for (int i = 0; i < 2000; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return status;
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }
    std::string Output() { return test::ReadFile(tmp / "out.txt"); }
    std::string RecordsPath() { return tmp / "share/Lingwell/ParloraPlus/Parlora3.ini"; }
    std::string Records() { return test::ReadFile(RecordsPath()); }
    // On the main menu with the new student "Kim" recorded (the menu's lights keep timers running).
    bool OnTheMenu() {
        return TempFolderExists() && fs::exists(RecordsPath()) &&
               ProfileText(Records()).get("Student Kim", "Sessions", "") == "1";
    }
    bool TempFolderExists() { return fs::exists(tmp / "run/ParloraPlus"); }
};

// From the demo's start to the main menu, a new student "Kim" made on the way.
const std::string kToTheMenu = "expect-screen TForm_CustomStart\nclick 512 650\nwait 1000\n"
                               "expect-screen TForm_StartNew\nclick 811 719\nwait 1000\n"
                               "expect-screen TForm_TypeName\nkey End\n" +
                               [] {
                                   std::string keys;
                                   for (int i = 0; i < 24; ++i)
                                       keys += "key BackSpace\n";
                                   return keys;
                               }() +
                               "type Kim\nkey Return\nwait 1000\nexpect-screen TForm_NewUser\n"
                               "click 52 732\nwait 500\nclick 519 549\nwait 3000\nexpect-screen TForm_Menu\n";
// Long enough in virtual time, with the menu's timers running, that only a signal ends it.
const char* kWaitLong = "wait 2000000000\n";

TEST_F(SignalClose, EachSignalClosesTheCourseTheOrderlyWay) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        fs::remove_all(tmp / "share");
        Start(kToTheMenu + kWaitLong);
        ASSERT_TRUE(WaitFor([&] { return OnTheMenu(); })) << Output();
        std::this_thread::sleep_for(200ms);
        int status = SignalAndWait(sig);
        ASSERT_NE(status, -1) << strsignal(sig) << " did not end the course";
        ASSERT_TRUE(WIFEXITED(status)) << strsignal(sig) << " killed the course instead of closing it";
        EXPECT_NE(Output().find("not run: the course ended"), std::string::npos) << Output();
        EXPECT_FALSE(TempFolderExists()) << strsignal(sig) << ": the temporary folder is left behind";
        ProfileText records(Records());
        EXPECT_EQ(records.get("Defaults", "Students", ""), "Kim");
        EXPECT_EQ(records.get("Student Kim", "Sessions", ""), "1");
    }
}

TEST_F(SignalClose, ADialogOpenDoesNotHoldTheCloseBack) {
    // The menu's help button opens the help dialog, which waits for a click that never comes.
    Start(kToTheMenu + "click 52 737\n" + kWaitLong);
    ASSERT_TRUE(WaitFor([&] { return OnTheMenu(); })) << Output();
    std::this_thread::sleep_for(300ms);
    int status = SignalAndWait(SIGTERM);
    ASSERT_NE(status, -1) << "the course did not end with a dialog open";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_FALSE(TempFolderExists());
    EXPECT_EQ(ProfileText(Records()).get("Student Kim", "Sessions", ""), "1");
}

TEST_F(SignalClose, AKilledWritersOldCopyIsRemovedWhenTheCourseStarts) {
    const std::string records = tmp / "share/Lingwell/ParloraPlus";
    test::WriteFile(records + "/.Parlora3.ini.k1LLed", "[Defaults]\r\nStudents=\"Ki");
    fs::last_write_time(records + "/.Parlora3.ini.k1LLed",
                        fs::file_time_type::clock::now() - std::chrono::minutes(5));
    test::WriteFile(records + "/.Parlora3.ini.yOung1", "another computer's write in flight");
    test::WriteFile(records + "/notes.txt", "the teacher's");
    Start("wait 10\n");
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << Output();
    EXPECT_FALSE(fs::exists(records + "/.Parlora3.ini.k1LLed"));
    EXPECT_TRUE(fs::exists(records + "/.Parlora3.ini.yOung1"));
    EXPECT_TRUE(fs::exists(records + "/notes.txt"));
}

} // namespace
} // namespace parlora
