// Process start of the headless program to its first screen (the run ends right after it is shown).
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;
extern char** environ;

static void BM_HeadlessStartToFirstScreen(benchmark::State& state) {
    fs::path root = fs::temp_directory_path() / "parlora-bench-startup";
    fs::create_directories(root / "course/data/Interface/FirstWords");
    fs::create_directories(root / "course/data/targets/target3");
    fs::create_directories(root / "course/data/sources/1source");
    fs::create_directories(root / "run");
    // A course home with generated demo content is used when it exists.
    std::string home = std::string(PARLORA_BINARY_DIR) + "/demo/parlora";
    if (!fs::exists(home + "/data")) home = (root / "course").string();
    setenv("PARLORA_HOME", home.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
    setenv("XDG_DATA_HOME", (root / "share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    std::string binary = std::string(PARLORA_BINARY_DIR) + "/shell/parlora";
    std::string script = "--script=" + (root / "empty.txt").string();
    {
        FILE* f = std::fopen((root / "empty.txt").c_str(), "w");
        if (f) std::fclose(f);
    }
    for (auto _ : state) {
        std::vector<char*> argv = {binary.data(), const_cast<char*>("--headless"), script.data(), nullptr};
        pid_t pid;
        if (posix_spawn(&pid, binary.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start parlora");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("parlora failed");
            break;
        }
    }
}
BENCHMARK(BM_HeadlessStartToFirstScreen)->Unit(benchmark::kMillisecond)->Iterations(30);
