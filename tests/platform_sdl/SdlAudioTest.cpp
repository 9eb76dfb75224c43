// Sound without a device keeps its timing, and capture hands out whole blocks on the UI thread.
#include "platform/Dispatcher.h"
#include "platform/sdl/SdlAudioIn.h"
#include "platform/sdl/SdlAudioOut.h"
#include "platform/sdl/SoftwareVolume.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace parlora;

namespace {
VoiceRequest samplesOf(size_t frames, int rate, int channels) {
    VoiceRequest r;
    r.samples = std::make_shared<const std::vector<int16_t>>(frames * size_t(channels), int16_t(100));
    r.sampleRate = rate;
    r.channels = channels;
    return r;
}
} // namespace

TEST(SdlAudioOut, WithoutDeviceVoicesEndAfterTheirRealLength) {
    FakeClock clock;
    Dispatcher dispatcher(clock, nullptr);
    SdlAudioOut out(clock);
    out.attach(dispatcher);
    ASSERT_FALSE(out.deviceOpen());

    int ended = 0, stoppedEnded = 0;
    VoiceId id = out.play(samplesOf(22050, 22050, 2), [&] { ++ended; }); // one second of stereo
    VoiceId stopped = out.play(samplesOf(4410, 44100, 1), [&] { ++stoppedEnded; });
    dispatcher.advance(clock, 50);
    EXPECT_EQ(out.framesPlayed(id), 1102u);
    out.stop(stopped);
    out.stop(stopped); // twice is harmless
    dispatcher.advance(clock, 940);
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(out.isPlaying(id));
    dispatcher.advance(clock, 20);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(stoppedEnded, 0);
    EXPECT_FALSE(out.isPlaying(id));

    // A request without samples still ends, at once.
    int emptyEnded = 0;
    out.play(VoiceRequest{}, [&] { ++emptyEnded; });
    dispatcher.advance(clock, 1);
    EXPECT_EQ(emptyEnded, 1);
}

TEST(SoftwareVolume, SetsTheGainAndNotifiesChanges) {
    FakeClock clock;
    SdlAudioOut out(clock);
    SoftwareVolume volume(out, 40000);
    std::vector<uint16_t> seen;
    volume.setOnChange([&](uint16_t v) { seen.push_back(v); });
    volume.set(40000);
    volume.set(1000);
    EXPECT_EQ(volume.get(), 1000);
    EXPECT_EQ(seen, (std::vector<uint16_t>{1000}));
    EXPECT_FALSE(volume.showControlProgram());
}

TEST(SdlAudioIn, DummyCaptureDeliversWholeBlocks) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0);
    {
        SystemClock clock;
        Dispatcher dispatcher(clock, nullptr);
        SdlAudioIn in;
        in.attach(dispatcher);
        std::vector<size_t> sizes;
        ASSERT_TRUE(in.start(44100, 441, [&](std::vector<int16_t> block) { sizes.push_back(block.size()); }));
        EXPECT_TRUE(in.recording());
        const uint64_t start = clock.nowMs();
        while (sizes.empty() && clock.nowMs() - start < 2000) {
            dispatcher.runUntilIdle();
            SDL_Delay(5);
        }
        ASSERT_FALSE(sizes.empty());
        for (size_t s : sizes)
            EXPECT_EQ(s, 441u);
        std::vector<int16_t> rest = in.stop();
        EXPECT_FALSE(in.recording());
        dispatcher.runUntilIdle(); // nothing more after stop
        const size_t count = sizes.size();
        dispatcher.runUntilIdle();
        EXPECT_EQ(sizes.size(), count);
        EXPECT_FALSE(in.start(44100, 0, nullptr));
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
