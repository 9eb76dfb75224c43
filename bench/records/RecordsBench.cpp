// Records files with many students (about 85 bytes each: 10,000 students make 850 KB):
// - the real headless program from its process start to the name choice screen, and to the
//   records screen (the script ends there, so the process exit is included), on the demo course
//   with transitions off;
// - in this process: the file read and indexed, the student list loaded and sorted, and one
//   student chosen (three writes).
// Every run starts from a records file as a previous session leaves it: written an hour ago, the
// list in score order but for one student whose total rose since, so the sort writes the list once.
#include "platform/Clock.h"
#include "shell/CourseState.h"
#include "shell/RecordsStore.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;
extern char** environ;

namespace {

const char* const kDemo = PARLORA_BINARY_DIR "/demo/parlora";

std::string RecordsText(int students) {
    std::vector<std::string> names;
    for (int i = 0; i < students; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Student%05d", i);
        names.push_back(name);
    }
    std::string list;
    for (int i = 0; i < students; ++i) {
        // The middle student's total rose last session: the list has it one place too low.
        int at = i == students / 2 - 1 ? i + 1 : i == students / 2 ? i - 1 : i;
        list += (i ? "," : "") + names[size_t(at)];
    }
    std::string text = "[Defaults]\r\nStudents=\"" + list + "\"\r\nSource=1\r\n\r\n";
    for (int i = 0; i < students; ++i)
        text += "[Student " + names[size_t(i)] + "]\r\nScore=" + std::to_string(3 * (students - i)) +
                "\r\nSessions=5\r\nLastUsed=24/12/2026\r\n\r\n";
    return text;
}

void WriteAnHourAgo(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    struct timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= 3600;
    times[1] = times[0];
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// A course folder linking to the demo's data, private records and configuration, and a script.
struct ProgramRun {
    std::string root, records, script, error;

    ProgramRun(const char* name, const std::string& scriptText) {
        root = (fs::temp_directory_path() / name).string();
        fs::remove_all(root);
        std::string home = root + "/course";
        if (!fs::exists(std::string(kDemo) + "/data")) {
            error = "no demo content: run parlora-content demo first";
            return;
        }
        fs::create_directories(home + "/data");
        for (const auto& e : fs::directory_iterator(std::string(kDemo) + "/data"))
            fs::create_symlink(e.path(), home + "/data/" + e.path().filename().string());
        fs::create_directory_symlink(std::string(kDemo) + "/Update", home + "/Update");
        // The demo's configuration with transitions off, as the course bench runs: the figures
        // are the program's work, not the transitions' virtual time.
        fs::copy_file(std::string(kDemo) + "/config.txt", home + "/config.txt");
        std::ofstream(home + "/config.txt", std::ios::app) << "Fast=1\r\n";
        fs::create_directories(root + "/run");
        fs::permissions(root + "/run", fs::perms::owner_all);
        setenv("PARLORA_HOME", home.c_str(), 1);
        setenv("HOME", root.c_str(), 1);
        setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (root + "/run").c_str(), 1);
        // The demo's course starts on target 5.
        records = root + "/data/Lingwell/ParloraPlus/Parlora5.ini";
        script = root + "/script.txt";
        std::ofstream(script) << scriptText;
    }
    ~ProgramRun() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    // The program's exit status, -1 when it could not run; `cpuMs` gets its processor time (user
    // and system), which other work on the machine disturbs less than the wall time.
    int Run(double& cpuMs) {
        std::string binary = std::string(PARLORA_BINARY_DIR) + "/shell/parlora";
        std::string scriptArg = "--script=" + script;
        std::vector<char*> argv = {binary.data(), const_cast<char*>("--headless"), scriptArg.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid;
        int spawned = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) return -1;
        int status = 0;
        struct rusage usage {};
        ::wait4(pid, &status, 0, &usage);
        auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
        cpuMs += ms(usage.ru_utime) + ms(usage.ru_stime);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

void StartTo(benchmark::State& state, const char* screen, const std::string& steps) {
    const int students = int(state.range(0));
    ProgramRun run(
        "parlora-bench-records",
        "expect-screen TForm_CustomStart\nclick 512 650\nwait 1000\nexpect-screen TForm_StartNew\n" + steps +
            "wait 1000\nexpect-screen " + screen + "\n");
    if (!run.error.empty()) return state.SkipWithError(run.error.c_str());
    const std::string bytes = RecordsText(students);
    double cpuMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        WriteAnHourAgo(run.records, bytes);
        state.ResumeTiming();
        if (run.Run(cpuMs) != 0) return state.SkipWithError("the program failed or did not reach the screen");
    }
    state.counters["file_KB"] = double(bytes.size()) / 1000.0;
    state.counters["program_cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
}

// No students: the screen is the one for typing a name, but the way there is the same.
void BM_StartToNameChoice(benchmark::State& state) {
    StartTo(state, state.range(0) == 0 ? "TForm_TypeName" : "TForm_ChooseName", "click 811 719\n");
}
// With --benchmark_repetitions the least of the runs shows what the program needs on a machine
// busy with other work.
double Least(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

BENCHMARK(BM_StartToNameChoice)
    ->Arg(0)
    ->Arg(2000)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0)
    ->ComputeStatistics("min", Least);

void BM_StartToRecordsScreen(benchmark::State& state) {
    StartTo(state, "TForm_Records", "click 159 296\n");
}
BENCHMARK(BM_StartToRecordsScreen)
    ->Arg(0)
    ->Arg(2000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0)
    ->ComputeStatistics("min", Least);

struct StoreOnFile {
    std::string dir;
    parlora::CourseFolders folders;
    parlora::StartOptions options;
    parlora::FakeClock clock;
    parlora::TRecordsStore store{folders, options, clock};
    StoreOnFile() {
        char pattern[] = "/tmp/parlora-bench-store-XXXXXX";
        dir = ::mkdtemp(pattern);
        folders.RecordsDir = dir;
        folders.RecordsFile = dir + "/Parlora5.ini";
    }
    ~StoreOnFile() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

// The file read and indexed, as at the first read of a run or after another program changed it.
void BM_ReadWholeFile(benchmark::State& state) {
    StoreOnFile s;
    WriteAnHourAgo(s.folders.RecordsFile, RecordsText(int(state.range(0))));
    for (auto _ : state) {
        parlora::RecordsFileCache cache;
        benchmark::DoNotOptimize(cache.Current(s.folders.RecordsFile).get("Defaults", "Source"));
    }
}
BENCHMARK(BM_ReadWholeFile)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// What the course does before each name choice, on a list already in order (no write).
void BM_LoadAndSortStudents(benchmark::State& state) {
    StoreOnFile s;
    WriteAnHourAgo(s.folders.RecordsFile, RecordsText(int(state.range(0))));
    s.store.LoadStudentList();
    s.store.SortStudentsByScore();
    for (auto _ : state) {
        s.store.LoadStudentList();
        s.store.SortStudentsByScore();
    }
}
BENCHMARK(BM_LoadAndSortStudents)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// A student chosen: the scores read, "Score", "LastUsed" and "Sessions" written.
void BM_ChooseStudent(benchmark::State& state) {
    StoreOnFile s;
    WriteAnHourAgo(s.folders.RecordsFile, RecordsText(int(state.range(0))));
    s.store.LoadStudentList();
    int i = 0;
    for (auto _ : state) {
        s.store.SetCurrentStudent(s.store.students()[size_t(i++ % 50)].name);
        s.store.LoadStudent();
    }
}
BENCHMARK(BM_ChooseStudent)
    ->Arg(2000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.5);

} // namespace
