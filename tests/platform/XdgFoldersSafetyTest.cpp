// The scratch folder when the runtime variable names a folder other users can write into.
#include "platform/XdgFolders.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace parlora;

TEST(ScratchFolder, ALinkPlantedInASharedRuntimeFolderIsNotUsed) {
    // With root, another user plants the link; without, we play them ourselves.
    uid_t attacker = getuid() == 0 ? 65534 : getuid();
    fs::path shared = fs::temp_directory_path() / ("parlora-shared-run-" + std::to_string(getpid()));
    fs::create_directories(shared / "theirs");
    fs::permissions(shared, fs::perms::all);
    ASSERT_EQ(chown((shared / "theirs").c_str(), attacker, attacker), 0);
    pid_t pid = fork();
    if (pid == 0)
        _exit(setresgid(attacker, attacker, attacker) || setresuid(attacker, attacker, attacker) ||
              symlink((shared / "theirs").c_str(), (shared / "ParloraPlus").c_str()));
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_EQ(status, 0);

    const char* was = std::getenv("XDG_RUNTIME_DIR");
    std::string saved = was ? was : "";
    setenv("XDG_RUNTIME_DIR", shared.c_str(), 1);
    std::string scratch = ProgramTempDir();
    was ? setenv("XDG_RUNTIME_DIR", saved.c_str(), 1) : unsetenv("XDG_RUNTIME_DIR");

    ASSERT_FALSE(scratch.empty());
    EXPECT_NE(scratch.rfind(shared.string(), 0), 0u) << scratch;
    struct stat st {};
    ASSERT_EQ(lstat(scratch.c_str(), &st), 0) << scratch;
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, getuid());
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    fs::remove_all(shared);
}
