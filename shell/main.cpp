// parlora [--headless] [--script=FILE] [course options: force quiz remote=n target=n timeout=m source=n
//         data=path cdname=name]
#include "activities/ActivityScreens.h"
#include "front/FrontScreens.h"
#include "platform/MemoryTuning.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/sdl/AlsaVolume.h"
#include "platform/sdl/PulseVolume.h"
#include "platform/sdl/SdlPlatform.h"
#include "shell/FormMain.h"
#include "shell/ScreenFactory.h"
#include "users/UserScreens.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace parlora;

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    KeepLargeBlocksInTheHeap();
    RegisterFrontScreens(TScreenFactory::Instance());
    RegisterUserScreens(TScreenFactory::Instance());
    RegisterActivityScreens(TScreenFactory::Instance());
    bool headless = false;
    std::string script;
    std::vector<std::string> courseArgs;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--headless") {
            headless = true;
        } else if (a.rfind("--script=", 0) == 0) {
            script = a.substr(9);
        } else if (a == "--help") {
            std::puts("usage: parlora [--headless [--script=FILE]] [force] [quiz] [remote=n] [target=n] "
                      "[timeout=minutes] [source=n] [data=path] [cdname=name]");
            return 0;
        } else {
            courseArgs.push_back(a);
        }
    }
    try {
        if (headless) {
            auto platform = std::make_unique<HeadlessPlatform>();
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
            return platform->scriptFailed() ? 1 : code;
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
