// The speaking exercise on the real SDL backend: a tone played into a private PulseAudio null sink
// comes back through its monitor as the learner's take, is kept under the temporary folder and is
// played back. Needs the private server tools/run-tests.sh starts (PULSE_SERVER); skips without it.
#include "activities/ActivityScreens.h"
#include "activities/FormSpeak.h"
#include "display/DIBButtonStrip.h"
#include "front/FrontScreens.h"
#include "platform/sdl/SdlPlatform.h"
#include "shell/FormMain.h"
#include "shell/RecordsStore.h"
#include "shell/ScreenFactory.h"
#include "tests/support/TestFiles.h"
#include "users/UserScreens.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <numbers>

using namespace parlora;
using namespace parlora::test;

namespace {

std::string SkipReason() {
    const char* server = std::getenv("PULSE_SERVER");
    if (!server || !*server) return "PULSE_SERVER is not set: no private sound server";
    const std::string s = server;
    if (s.rfind("unix:", 0) == 0 && !std::filesystem::exists(s.substr(5))) return "no sound server at " + s;
    return {};
}

TEST(SpeakLoopback, RecordsAToneOnTheSpeakingScreenAndPlaysItBack) {
    if (std::string why = SkipReason(); !why.empty()) GTEST_SKIP() << why;
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    TempDir tmp;
    UsePrivateFolders(tmp.path());
    const std::string demo = PARLORA_BINARY_DIR "/demo/parlora", home = tmp / "course";
    MakeDirs(home + "/data");
    for (const auto& entry : std::filesystem::directory_iterator(demo + "/data"))
        std::filesystem::create_symlink(entry.path(), home + "/data/" + entry.path().filename().string());
    std::filesystem::create_directory_symlink(demo + "/Update", home + "/Update");
    WriteFile(home + "/sconfig.txt", "[Defaults]\r\nNewUser=0\r\nFast=1\r\n");

    SdlPlatform platform;
    if (!platform.audioOut().deviceOpen()) GTEST_SKIP() << "the sound server cannot be reached";
    RegisterFrontScreens(TScreenFactory::Instance());
    RegisterUserScreens(TScreenFactory::Instance());
    RegisterActivityScreens(TScreenFactory::Instance());
    TForm_Main main(platform, {"target=3", "source=1"});
    main.folders().ProgramDir = home;
    ASSERT_TRUE(main.InitialiseCourse());
    platform.display().openWindow("test", WindowMode::MaximisedCentred);
    ASSERT_TRUE(main.records()->AddStudent("Kim"));
    main.records()->SetCurrentStudent("Kim");
    main.LoadStudent();
    Dispatcher& loop = main.dispatcher();
    loop.setTimer(10, true, [] {}); // bounds every wait of the loop
    auto runUntil = [&](const std::function<bool()>& done, uint64_t limitMs) {
        const uint64_t start = platform.clock().nowMs();
        while (!done()) {
            if (platform.clock().nowMs() - start > limitMs) return false;
            loop.runOnce(true);
        }
        return true;
    };
    main.RequestScreen(27, 0);
    ASSERT_TRUE(runUntil([&] { return main.currentScreenClass() == "TForm_Speak"; }, 10000));
    auto* speak = dynamic_cast<TForm_Speak*>(main.currentScreen());
    ASSERT_NE(speak, nullptr);
    auto state = [&] {
        const TKaState* s = speak->stateList().CurrentState();
        return s ? s->Name() : std::string();
    };

    speak->ButtonClick(1);
    ASSERT_TRUE(runUntil([&] { return state() == "WaitButton" && speak->stripReady(); }, 5000));
    // The learner's voice: a tone the monitor of the null sink hears while the take runs.
    TKaRamWav voice(platform.audioOut(), loop);
    TWaveFormat f{1, 1, 44100, 88200, 2, 16, 0};
    std::vector<uint8_t> tone;
    for (int i = 0; i < 44100 * 4; ++i) {
        auto s = uint16_t(int16_t(std::lround(12000 * std::sin(2 * std::numbers::pi * 440 * i / 44100.0))));
        tone.push_back(uint8_t(s & 0xFF));
        tone.push_back(uint8_t(s >> 8));
    }
    voice.LoadData(f, tone, "voice.wav");
    speak->ButtonClick(5); // record alone, picture by picture
    ASSERT_TRUE(runUntil([&] { return state() == "Record"; }, 5000));
    voice.Play();
    ASSERT_TRUE(runUntil([&] { return state() != "Record"; }, 15000));
    voice.Stop();
    const std::string file = speak->RecordingFile(1);
    ASSERT_TRUE(std::filesystem::exists(file));
    // The take is the tone, not silence.
    TKaRamWav take(platform.audioOut(), loop);
    take.LoadSound(file);
    int peak = TKaRamWav::PeakLevel(take.PlayData(), take.PlayLength(), 16);
    EXPECT_GT(peak, 4000) << "the monitor gave back silence";

    // Finish the pass quickly: each further take is cut short by a click.
    for (int p = 2; p <= 4; ++p) {
        ASSERT_TRUE(runUntil([&] { return state() == "Record" && speak->position() == p; }, 10000));
        speak->StopRecording();
    }
    ASSERT_TRUE(runUntil([&] { return state() == "WaitButton" && speak->playOffered(); }, 10000));
    speak->ButtonClick(6);
    ASSERT_TRUE(runUntil([&] { return state() == "Play2"; }, 10000));
    EXPECT_EQ(speak->takePlayer().FileName(), file);
    EXPECT_TRUE(runUntil([&] { return speak->takePlayer().PlayPosition() > 0; }, 5000))
        << "the device never took the take's samples";
    ASSERT_TRUE(runUntil([&] { return state() == "WaitButton"; }, 30000));
    speak->Quit();
    runUntil([&] { return main.currentScreenClass() != "TForm_Speak"; }, 5000);
    EXPECT_EQ(main.records()->GetScore(2, 1), 0);
}

} // namespace
