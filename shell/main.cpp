// parlora [--headless] [--script=FILE] [--seed=N] [course options: force quiz remote=n target=n
//         timeout=m source=n data=path cdname=name]
#include "activities/ActivityScreens.h"
#include "front/FrontScreens.h"
#include "network/TutrixControlWindow.h"
#include "platform/MemoryTuning.h"
#include "platform/Translation.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/sdl/AlsaVolume.h"
#include "platform/sdl/PulseVolume.h"
#include "platform/sdl/SdlPlatform.h"
#include "shell/FormMain.h"
#include "shell/ProgramVersion.h"
#include "shell/ScreenFactory.h"
#include "users/UserScreens.h"

#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace parlora;

static const char kUsage[] =
    "usage: parlora [--headless [--script=FILE] [--seed=N]] [force] [quiz] [remote=n] [target=n] "
    "[timeout=minutes] [source=n] [data=path] [cdname=name]";

static const char kHelp[] =
    "Parlora Plus: a multimedia course for learning a foreign language.\n"
    "\n"
    "  --headless        run with no window and no sound device, in virtual time\n"
    "  --script=FILE     drive a headless run with the commands in FILE (see README.md)\n"
    "  --seed=N          the questions a headless run asks (0 to 4294967295)\n"
    "  --help, --version this text, the version\n"
    "\n"
    "The course's own options are words:\n"
    "  force             skip the screen-size check and set the display to 1024 x 768\n"
    "  quiz              a class quiz run by the classroom manager\n"
    "  remote=n          classroom mode, as pupil n\n"
    "  target=n          the language to learn\n"
    "  source=n          the learner's own language\n"
    "  timeout=minutes   leave after so many minutes without a click\n"
    "  data=path         the course's data folder\n"
    "  cdname=name       the name of the course disc to ask for\n"
    "\n"
    "The course's home folder is $PARLORA_HOME, else the program's own folder when it holds data,\n"
    "else ../share/parlora beside the program. With Debug=1 under [Defaults] in its configuration,\n"
    "the debug log goes to $XDG_RUNTIME_DIR/parlora-debug.log.\n";

// A whole number of 0 to 4294967295: the random streams take 32 bits of the counter, so a larger
// one would only repeat a smaller one's draws.
static std::optional<uint32_t> ParseSeed(const std::string& text) {
    uint32_t seed = 0;
    const char* end = text.data() + text.size();
    auto [at, error] = std::from_chars(text.data(), end, seed);
    if (text.empty() || error != std::errc() || at != end) return std::nullopt;
    return seed;
}

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    UseDesktopLanguage();
    KeepLargeBlocksInTheHeap();
    RegisterFrontScreens(TScreenFactory::Instance());
    RegisterUserScreens(TScreenFactory::Instance());
    RegisterActivityScreens(TScreenFactory::Instance());
    // remote=n: the classroom manager's address and the class token come from the environment
    // or the course's own configuration file.
    TForm_Main::NetworkFactory() = [](TForm_Main& m) -> std::unique_ptr<INetworkClient> {
        return std::make_unique<TTutrixControlWindow>(
            m, TClassroomLink::Find(m.folders().ProgramDir + "\\sconfig.txt", m.options().networkId));
    };
    bool headless = false;
    std::string script;
    std::optional<uint32_t> seed;
    std::vector<std::string> courseArgs;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--headless") {
            headless = true;
        } else if (a.rfind("--script=", 0) == 0) {
            script = a.substr(9);
        } else if (a.rfind("--seed=", 0) == 0) {
            seed = ParseSeed(a.substr(7));
            if (!seed) {
                std::fprintf(stderr, "parlora: --seed needs a whole number of 0 to 4294967295\n%s\n", kUsage);
                return 2;
            }
        } else if (a == "--help" || a == "-h") {
            std::printf("%s\n\n%s", kUsage, kHelp);
            return 0;
        } else if (a == "--version") {
            std::printf("parlora (Parlora Plus) %d.%d.%d\n", kProgramVersion.major, kProgramVersion.minor,
                        kProgramVersion.release);
            return 0;
        } else if (a.size() > 1 && a[0] == '-') {
            // The course's own options are words; a dash is a mistake worth saying.
            std::fprintf(stderr, "parlora: unknown option %s\n%s\n", a.c_str(), kUsage);
            return 2;
        } else {
            courseArgs.push_back(a);
        }
    }
    if (seed && !headless) {
        // The real clock's counter cannot be set.
        std::fprintf(stderr, "parlora: --seed needs --headless\n%s\n", kUsage);
        return 2;
    }
    try {
        if (headless) {
            auto platform = std::make_unique<HeadlessPlatform>();
            // Before the course starts: it seeds its random streams from this counter.
            if (seed) platform->fakeClock().setPerfCounter(*seed);
            if (!script.empty()) {
                std::string error;
                if (!platform->loadScript(script, error)) {
                    std::fprintf(stderr, "%s\n", error.c_str());
                    return 2;
                }
            }
            TForm_Main main(*platform, courseArgs);
            platform->setScriptHost(&main);
            int code = main.Run();
            if (platform->scriptFailed()) return 1;
            if (size_t line = platform->lineNotRun()) {
                std::fprintf(stderr, "script line %zu not run: the course ended\n", line);
                return code != 0 ? code : 1;
            }
            return code;
        }
        auto platform = std::make_unique<SdlPlatform>();
        TForm_Main main(*platform, courseArgs);
        // The master volume: PulseAudio, else ALSA, else our own gain (the platform's default).
        auto pulse = std::make_unique<PulseVolume>(main.dispatcher());
        if (pulse->open()) {
            platform->setVolume(std::move(pulse));
        } else {
            auto alsa = std::make_unique<AlsaVolume>(main.dispatcher());
            if (alsa->open()) platform->setVolume(std::move(alsa));
        }
        return main.Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Parlora: %s\n", e.what());
        return 1;
    }
}
