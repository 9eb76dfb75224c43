// The course as a learner feels it, on the demo content (make it first:
// `parlora-content demo --if-changed <build>/demo`):
// - a screen change: the request to the new screen's first frame, transitions switched off
//   ("Fast"), for the start screen, the main menu, a topic menu, each practice screen and each
//   easy game, with every picture already decoded once (as on a second visit) and cold;
// - a click on a word of the first-words practice to the first sample of that word at the sound
//   device (the word not yet in the screen's players), through the real SDL output;
// - the peak resident memory of a session that visits every screen;
// - a whole hard game in headless virtual time, from the request to the return to its menu.
#include "activities/ActivityScreens.h"
#include "activities/FormHardGame.h"
#include "display/PictureCache.h"
#include "engine/FormScreen.h"
#include "front/FrontScreens.h"
#include "platform/MemoryTuning.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/sdl/SdlPlatform.h"
#include "shell/FormMain.h"
#include "shell/ScreenFactory.h"
#include "users/UserScreens.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace parlora;
namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

const char* const kDemo = PARLORA_BINARY_DIR "/demo/parlora";

// The screens built so far, by router code: start, main menu, a topic menu, the nine practice
// screens (first words and phrases share a class), the easy games and the hard games.
const std::vector<int> kScreens = {1,  9,  14, 15, 21, 26, 31, 36, 41, 46,
                                   51, 56, 17, 23, 33, 18, 34, 24, 39, 54};

// A private course folder whose data entries link to the demo's, private records, Fast on.
std::string MakeCourse() {
    char pattern[] = "/tmp/parlora-bench-XXXXXX";
    std::string root = mkdtemp(pattern);
    std::string home = root + "/course";
    fs::create_directories(home + "/data");
    for (const auto& e : fs::directory_iterator(std::string(kDemo) + "/data"))
        fs::create_symlink(e.path(), home + "/data/" + e.path().filename().string());
    fs::create_directory_symlink(std::string(kDemo) + "/Update", home + "/Update");
    std::ofstream(home + "/config.txt") << "[Defaults]\r\nFast=1\r\nNewUser=0\r\n";
    fs::create_directories(root + "/run");
    fs::permissions(root + "/run", fs::perms::owner_all);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root + "/run").c_str(), 1);
    setenv("PARLORA_HOME", home.c_str(), 1);
    return home;
}

struct Course {
    std::unique_ptr<IPlatform> platform;
    std::unique_ptr<TForm_Main> main;
    std::string error;

    explicit Course(bool sdl) {
        static bool registered = false;
        if (!registered) {
            KeepLargeBlocksInTheHeap(); // as the program does

            RegisterFrontScreens(TScreenFactory::Instance());
            RegisterUserScreens(TScreenFactory::Instance());
            RegisterActivityScreens(TScreenFactory::Instance());
            registered = true;
        }
        if (!fs::exists(std::string(kDemo) + "/data")) {
            error = "no demo content: run parlora-content demo first";
            return;
        }
        std::string home = MakeCourse();
        if (sdl) {
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            const char* server = std::getenv("PULSE_SERVER");
            setenv("SDL_AUDIODRIVER", server && *server ? "pulseaudio" : "dummy", 1);
            platform = std::make_unique<SdlPlatform>();
        } else {
            platform = std::make_unique<HeadlessPlatform>();
        }
        main = std::make_unique<TForm_Main>(*platform, std::vector<std::string>{"target=3", "source=1"});
        main->folders().ProgramDir = home;
        if (!main->InitialiseCourse()) {
            error = "the course did not start";
            return;
        }
        platform->display().openWindow("bench", WindowMode::MaximisedCentred);
        main->records()->AddStudent("Bench");
        main->records()->SetCurrentStudent("Bench");
        main->LoadStudent();
    }
    // Request to first frame, in ms.
    double Show(int code) {
        auto t0 = Steady::now();
        main->RequestScreen(code, 0);
        main->dispatcher().runUntilIdle();
        return std::chrono::duration<double, std::milli>(Steady::now() - t0).count();
    }
};

void BM_ScreenChange(benchmark::State& state) {
    Course course(false);
    if (!course.error.empty()) return state.SkipWithError(course.error.c_str());
    int code = int(state.range(0));
    bool cold = state.range(1) != 0;
    for (auto _ : state) {
        course.Show(9);
        if (cold) PictureCache::Instance().Clear();
        double ms = course.Show(code);
        state.SetIterationTime(ms / 1000.0);
    }
    state.SetLabel(course.main->currentScreenClass() + (cold ? " (cold)" : ""));
}

void ScreenArgs(benchmark::internal::Benchmark* b) {
    for (int code : kScreens)
        b->Args({code, 0});
    for (int code : {1, 9, 15, 17})
        b->Args({code, 1});
}
BENCHMARK(BM_ScreenChange)->Apply(ScreenArgs)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(std::lround(p * double(v.size() - 1))))];
}

// From the click on a row of the first-words list to the first samples of that word mixed by the
// device. Every seventh click opens the screen afresh, so no word is ever in its players yet.
void BM_WordClickToFirstSample(benchmark::State& state) {
    Course course(true);
    if (!course.error.empty()) return state.SkipWithError(course.error.c_str());
    if (!course.platform->audioOut().deviceOpen()) return state.SkipWithError("no sound device");
    std::vector<double> latencies;
    int row = 0;
    for (auto _ : state) {
        if (row % 7 == 0) {
            course.Show(9);
            course.Show(15);
        }
        auto* screen = dynamic_cast<TForm_Screen*>(course.main->currentScreen());
        if (!screen) return state.SkipWithError("no practice screen");
        InputEvent e;
        e.x = 492;
        e.y = 376 + 16 + 32 * (row % 7);
        auto t0 = Steady::now();
        for (auto kind :
             {InputEvent::Kind::MouseMove, InputEvent::Kind::MouseDown, InputEvent::Kind::MouseUp}) {
            e.kind = kind;
            course.main->dispatcher().queueInput(e);
        }
        course.main->dispatcher().runUntilIdle();
        while (screen->SelectedPlayPosition() <= 0 && Steady::now() - t0 < std::chrono::seconds(2))
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        double ms = std::chrono::duration<double, std::milli>(Steady::now() - t0).count();
        if (screen->SelectedPlayPosition() <= 0) return state.SkipWithError("the word was never mixed");
        state.SetIterationTime(ms / 1000.0);
        latencies.push_back(ms);
        ++row;
        screen->StopAllSounds();
        course.main->dispatcher().runUntilIdle();
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + (row * 3700) % 11000));
    }
    state.counters["median_ms"] = Percentile(latencies, 0.5);
    state.counters["p95_ms"] = Percentile(latencies, 0.95);
}
BENCHMARK(BM_WordClickToFirstSample)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(42);

// A whole hard game on the headless platform: virtual time runs as fast as the CPU allows, and the
// question is answered right as soon as it is asked (the self-playing run answers by itself).
void BM_WholeHardGame(benchmark::State& state) {
    Course course(false);
    if (!course.error.empty()) return state.SkipWithError(course.error.c_str());
    auto& headless = static_cast<HeadlessPlatform&>(*course.platform);
    const int code = int(state.range(0));
    std::string label;
    for (auto _ : state) {
        course.Show(9);
        auto t0 = Steady::now();
        course.Show(code);
        label = course.main->currentScreenClass();
        for (int step = 0; step < 20000; ++step) {
            auto* game = dynamic_cast<TForm_HardGame*>(course.main->currentScreen());
            if (!game) break;
            TKaStateList& list = game->stateList();
            if (list.CurrentIndex() == list.IndexOfState("SayWord") && KaHas(list.Armed(), katMouseAction))
                list.MouseAction(game->targetPosition());
            course.main->dispatcher().advance(headless.fakeClock(), 50);
            course.main->dispatcher().runUntilIdle();
        }
        double ms = std::chrono::duration<double, std::milli>(Steady::now() - t0).count();
        if (dynamic_cast<TForm_HardGame*>(course.main->currentScreen()))
            return state.SkipWithError("the game did not end");
        state.SetIterationTime(ms / 1000.0);
    }
    state.SetLabel(label);
}
BENCHMARK(BM_WholeHardGame)
    ->Arg(18)
    ->Arg(19)
    ->Arg(34)
    ->Arg(24)
    ->Arg(39)
    ->Arg(54)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// Visits every screen twice and reports the process's peak resident memory.
void BM_PeakMemoryEveryScreen(benchmark::State& state) {
    Course course(false);
    if (!course.error.empty()) return state.SkipWithError(course.error.c_str());
    for (auto _ : state)
        for (int round = 0; round < 2; ++round)
            for (int code : kScreens)
                course.Show(code);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_PeakMemoryEveryScreen)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
