// A computer without a sound device: sounds are timed silently for their real length, recordings
// are silent, the learner is told once, and a device that appears later is used.
#include "platform/Dispatcher.h"
#include "platform/sdl/SdlPlatform.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace parlora;

namespace {

// What the platform hands to the debug log.
struct LogLines {
    int count(const std::string& part) const {
        int n = 0;
        for (const std::string& line : lines)
            if (line.find(part) != std::string::npos) ++n;
        return n;
    }
    std::function<void(const std::string&)> sink() {
        return [this](const std::string& line) { lines.push_back(line); };
    }
    std::vector<std::string> lines;
};

// Everything written to file descriptor 2 while it lives (what a terminal would show).
class StderrCapture {
  public:
    StderrCapture() {
        std::fflush(stderr);
        saved_ = dup(2);
        file_ = std::tmpfile();
        dup2(fileno(file_), 2);
    }
    ~StderrCapture() { Restore(); }
    std::string Take() {
        Restore();
        std::string text;
        std::rewind(file_);
        char buf[512];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, file_)) > 0;)
            text.append(buf, n);
        return text;
    }

  private:
    void Restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        saved_ = -1;
    }
    int saved_ = -1;
    std::FILE* file_ = nullptr;
};

VoiceRequest Tone(int ms) {
    VoiceRequest tone;
    tone.samples = std::make_shared<const std::vector<int16_t>>(size_t(44100 * ms / 1000), int16_t(1000));
    tone.sampleRate = 44100;
    tone.channels = 1;
    return tone;
}

} // namespace

TEST(SdlNoSoundDevice, SoundsAreTimedSilentlyRecordingsAreSilentAndItIsSaidOnce) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    LogLines log;
    {
        SdlPlatform platform;
        Dispatcher dispatcher(platform.clock(), &platform);
        platform.attach(dispatcher);
        platform.setLogSink(log.sink());
        EXPECT_FALSE(platform.audioOut().deviceOpen());

        for (int round = 0; round < 3; ++round) {
            bool ended = false;
            const uint64_t start = platform.clock().nowMs();
            platform.audioOut().play(Tone(150), [&] { ended = true; });
            while (!ended && platform.clock().nowMs() - start < 2000)
                dispatcher.runOnce(true);
            ASSERT_TRUE(ended);
            const uint64_t took = platform.clock().nowMs() - start;
            EXPECT_GE(took, 145u) << "a silent sound lasts its real length";
            EXPECT_LT(took, 1000u);
        }

        for (int take = 0; take < 2; ++take) {
            std::vector<size_t> blocks;
            const uint64_t start = platform.clock().nowMs();
            ASSERT_TRUE(platform.audioIn().start(44100, 2205, [&](std::vector<int16_t> block) {
                for (int16_t s : block)
                    EXPECT_EQ(s, 0);
                blocks.push_back(block.size());
            })) << "without input the recorder records silence instead of failing";
            EXPECT_TRUE(platform.audioIn().recording());
            while (blocks.size() < 4 && platform.clock().nowMs() - start < 2000)
                dispatcher.runOnce(true);
            ASSERT_EQ(blocks.size(), 4u);
            EXPECT_EQ(blocks[0], 2205u);
            EXPECT_GE(platform.clock().nowMs() - start, 195u) << "blocks come at the real rate";
            platform.audioIn().stop();
            EXPECT_FALSE(platform.audioIn().recording());
        }
    }
    EXPECT_EQ(log.count("no sound output"), 1) << "said once, however many sounds are played";
    EXPECT_EQ(log.count("no sound input"), 1) << "said once, however many recordings are made";
}

// ALSA with no card (this machine has none; with one the sound simply plays): nothing reaches the
// terminal, and the debug log gets one line saying the sounds are silent.
TEST(SdlNoSoundDevice, NoCardPrintsNothingAndLeavesOneLineForTheDebugLog) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    LogLines log;
    StderrCapture terminal;
    bool opened = false;
    {
        SdlPlatform platform;
        Dispatcher dispatcher(platform.clock(), &platform);
        platform.attach(dispatcher);
        platform.setLogSink(log.sink());
        opened = platform.audioOut().deviceOpen();
        for (int round = 0; round < 2; ++round) {
            bool ended = false;
            const uint64_t start = platform.clock().nowMs();
            platform.audioOut().play(Tone(50), [&] { ended = true; });
            while (!ended && platform.clock().nowMs() - start < 2000)
                dispatcher.runOnce(true);
            EXPECT_TRUE(ended);
        }
    }
    const std::string written = terminal.Take();
    EXPECT_EQ(written, "") << "the terminal stays quiet";
    if (!opened) {
        EXPECT_EQ(log.count("no sound output"), 1);
        EXPECT_EQ(log.lines.size(), 1u) << "one line, not ALSA's every probe";
    }
}

TEST(SdlNoSoundDevice, ANewDeviceIsTakenWhenTheSystemReportsOne) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SdlPlatform platform;
    Dispatcher dispatcher(platform.clock(), &platform);
    platform.attach(dispatcher);
    ASSERT_TRUE(platform.audioOut().deviceOpen());
    // SDL announces the devices it found at start; those are not new.
    SDL_PumpEvents();
    SDL_FlushEvent(SDL_AUDIODEVICEADDED);
    platform.sdlAudioOut().close(); // as when the device went away
    ASSERT_FALSE(platform.audioOut().deviceOpen());

    SDL_Event added{};
    added.type = SDL_AUDIODEVICEADDED;
    added.adevice.which = 0;
    added.adevice.iscapture = 1; // a microphone does not bring the output back
    SDL_PushEvent(&added);
    std::vector<InputEvent> events;
    platform.waitEvents(100, events);
    EXPECT_FALSE(platform.audioOut().deviceOpen());

    added.adevice.iscapture = 0;
    SDL_PushEvent(&added);
    platform.waitEvents(100, events);
    EXPECT_TRUE(platform.audioOut().deviceOpen());
    EXPECT_TRUE(events.empty());
}

TEST(SdlNoSoundDevice, AVoiceSoundingWhenTheDeviceGoesStillEndsAfterItsLength) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SdlPlatform platform;
    Dispatcher dispatcher(platform.clock(), &platform);
    platform.attach(dispatcher);
    ASSERT_TRUE(platform.audioOut().deviceOpen());
    bool ended = false;
    const uint64_t start = platform.clock().nowMs();
    platform.audioOut().play(Tone(300), [&] { ended = true; });

    SDL_Event removed{};
    removed.type = SDL_AUDIODEVICEREMOVED;
    removed.adevice.which = platform.sdlAudioOut().deviceId();
    removed.adevice.iscapture = 0;
    SDL_PushEvent(&removed);
    std::vector<InputEvent> events;
    platform.waitEvents(10, events);
    ASSERT_FALSE(platform.audioOut().deviceOpen());
    while (!ended && platform.clock().nowMs() - start < 2000) {
        dispatcher.runOnce(false);
        SDL_Delay(2);
    }
    EXPECT_TRUE(ended) << "a game waiting for this sound's end would wait for ever";
    EXPECT_LT(platform.clock().nowMs() - start, 1000u);
}
