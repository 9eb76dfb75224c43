#include "media/KaRamWav.h"

#include "core/Errors.h"
#include "platform/Clock.h"
#include "platform/Dispatcher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

using namespace parlora;
namespace fs = std::filesystem;

namespace {

// Ends voices only when the test says so, posting the end as the real output does.
class FakeAudioOut : public IAudioOut {
  public:
    explicit FakeAudioOut(Dispatcher& d) : dispatcher_(d) {}
    VoiceId play(const VoiceRequest& request, std::function<void()> onEnded) override {
        VoiceId id = next_++;
        voices_[id] = std::move(onEnded);
        requests.push_back(request);
        return id;
    }
    void stop(VoiceId id) override {
        voices_.erase(id);
        ++stops;
    }
    bool isPlaying(VoiceId id) const override { return voices_.count(id) != 0; }
    uint64_t framesPlayed(VoiceId) const override { return frames; }
    void setSoftwareGain(uint16_t) override {}
    bool deviceOpen() const override { return open; }

    // The device reports the natural end of the newest voice.
    void finishLast() {
        auto it = std::prev(voices_.end());
        dispatcher_.post(it->second);
        voices_.erase(it);
    }
    // A device that reports an end already queued when the voice was stopped.
    void finishEvenIfStopped(std::function<void()> onEnded) { dispatcher_.post(std::move(onEnded)); }
    std::function<void()> lastCallback() const { return std::prev(voices_.end())->second; }

    std::vector<VoiceRequest> requests;
    uint64_t frames = 0;
    int stops = 0;
    bool open = true;

  private:
    Dispatcher& dispatcher_;
    std::map<VoiceId, std::function<void()>> voices_;
    VoiceId next_ = 1;
};

// A 16-bit WAV built in memory: `silence` quiet frames each side of a loud middle.
std::vector<uint8_t> MakeWav(uint16_t channels, uint32_t rate, uint32_t loudFrames, uint32_t silence = 0) {
    TWaveFormat f{1, channels, rate, rate * 2u * channels, uint16_t(2 * channels), 16, 0};
    std::vector<uint8_t> data;
    for (uint32_t i = 0; i < loudFrames + 2 * silence; ++i) {
        bool loud = i >= silence && i < silence + loudFrames;
        for (uint16_t c = 0; c < channels; ++c) {
            int16_t v = loud ? int16_t(c == 0 ? 20000 : -12000) : int16_t(c == 0 ? 10 : -10);
            data.push_back(uint8_t(v));
            data.push_back(uint8_t(uint16_t(v) >> 8));
        }
    }
    return WaveFile::BuildWav(f, data.data(), uint32_t(data.size()));
}

class RamWavTest : public ::testing::Test {
  protected:
    FakeClock clock;
    Dispatcher dispatcher{clock, nullptr};
    FakeAudioOut audio{dispatcher};
    TKaRamWav wav{audio, dispatcher};
    int done = 0;

    void SetUp() override {
        wav.OnPlayDone = [this](TKaRamWav&) { ++done; };
    }
};

TEST_F(RamWavTest, EmptyPlayerReportsDoneAtOnce) {
    wav.Play();
    EXPECT_EQ(done, 1);
    EXPECT_TRUE(audio.requests.empty());
    EXPECT_FALSE(wav.IsPlaying());
    EXPECT_EQ(wav.DurationMs(), 0u);
    EXPECT_EQ(wav.PlayPosition(), -1);
}

TEST_F(RamWavTest, NaturalEndIsPostedOnce) {
    wav.LoadFromMemory(MakeWav(1, 22050, 22050), "one.wav");
    wav.Play();
    EXPECT_TRUE(wav.IsPlaying());
    EXPECT_EQ(done, 0);
    audio.finishLast();
    EXPECT_EQ(done, 0); // posted, not called
    dispatcher.runUntilIdle();
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(wav.IsPlaying());
}

TEST_F(RamWavTest, StopRaisesDoneInsideAndNoLateEnd) {
    wav.LoadFromMemory(MakeWav(1, 22050, 22050), "one.wav");
    wav.Play();
    auto pending = audio.lastCallback();
    wav.Stop();
    EXPECT_EQ(done, 1);
    wav.Stop();
    EXPECT_EQ(done, 1);
    audio.finishEvenIfStopped(pending);
    dispatcher.runUntilIdle();
    EXPECT_EQ(done, 1);
}

TEST_F(RamWavTest, StaleEndOfAnEarlierPlayDoesNotEndTheNewOne) {
    wav.LoadFromMemory(MakeWav(1, 22050, 22050), "one.wav");
    wav.Play();
    auto first = audio.lastCallback();
    wav.Play(); // ends the first play with its done report
    EXPECT_EQ(done, 1);
    EXPECT_EQ(audio.stops, 1);
    audio.finishEvenIfStopped(first);
    dispatcher.runUntilIdle();
    EXPECT_TRUE(wav.IsPlaying());
    EXPECT_EQ(done, 1);
}

TEST_F(RamWavTest, EndAfterPlayerIsGoneIsDropped) {
    std::function<void()> pending;
    {
        TKaRamWav gone(audio, dispatcher);
        gone.OnPlayDone = [this](TKaRamWav&) { ++done; };
        gone.LoadFromMemory(MakeWav(1, 22050, 100), "x.wav");
        gone.Play();
        pending = audio.lastCallback();
    }
    EXPECT_EQ(done, 0); // destroying stops without a report
    audio.finishEvenIfStopped(pending);
    dispatcher.runUntilIdle();
    EXPECT_EQ(done, 0);
}

TEST_F(RamWavTest, StereoDurationIsNotDoubled) {
    wav.LoadFromMemory(MakeWav(2, 44100, 22050), "st.wav");
    EXPECT_EQ(wav.DurationMs(), 500u);
    EXPECT_EQ(wav.BytesToMs(4 * 44100), 1000);
    EXPECT_EQ(wav.MsToBytes(1000), 4 * 44100);
}

TEST_F(RamWavTest, PlayHandsSamplesAndHookSeesSpeedUp) {
    wav.LoadFromMemory(MakeWav(2, 22050, 10), "st.wav");
    int hooks = 0;
    wav.OnPlayHook = [&](TKaRamWav&, const TWaveFormat& f, uint32_t length, const uint8_t*, uint32_t flags) {
        ++hooks;
        EXPECT_EQ(f.SamplesPerSec, 33075u);
        EXPECT_EQ(length, 40u);
        EXPECT_EQ(flags, 3u);
    };
    wav.SetSpeedUp(50);
    wav.Play();
    EXPECT_EQ(hooks, 1);
    ASSERT_EQ(audio.requests.size(), 1u);
    const auto& r = audio.requests[0];
    EXPECT_EQ(r.sampleRate, 33075);
    EXPECT_EQ(r.channels, 2);
    ASSERT_EQ(r.samples->size(), 20u);
    EXPECT_EQ((*r.samples)[0], 20000);
    EXPECT_EQ((*r.samples)[1], -12000);
    wav.SetSpeedUp(-150);
    EXPECT_EQ(wav.SpeedUp(), -100);
}

TEST_F(RamWavTest, PositionCountsBytesOfAllChannels) {
    wav.LoadFromMemory(MakeWav(2, 22050, 1000), "st.wav");
    wav.Play();
    audio.frames = 100;
    EXPECT_EQ(wav.PlayPosition(), 400);
    audio.frames = 5000; // a device may run past the end
    EXPECT_EQ(wav.PlayPosition(), 4000);
}

TEST_F(RamWavTest, WithoutADeviceTheSoundIsTimedSilentlyInsteadOfFailing) {
    // A classroom computer without sound: the output times the voice, the player neither fails
    // nor ends early, so games and practice go on.
    wav.LoadFromMemory(MakeWav(1, 22050, 100), "x.wav");
    audio.open = false;
    EXPECT_NO_THROW(wav.Play());
    EXPECT_TRUE(wav.IsPlaying());
    EXPECT_EQ(audio.requests.size(), 1u);
    EXPECT_EQ(done, 0);
    audio.finishLast();
    dispatcher.runUntilIdle();
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(wav.IsPlaying());
}

TEST_F(RamWavTest, FailedPlaysReportDoneThenError) {
    wav.LoadFromMemory(MakeWav(1, 22050, 100), "x.wav");
    wav.SetSpeedUp(-100); // no samples per second left
    try {
        wav.Play();
        FAIL();
    } catch (const RWException& e) {
        EXPECT_STREQ(e.what(), "Sound open failed - unsupported wave format");
    }
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(wav.IsPlaying());
    wav.SetEnabled(false);
    EXPECT_THROW(wav.Play(), RWException);
}

TEST_F(RamWavTest, LoadErrorsLeaveThePlayerEmpty) {
    wav.LoadFromMemory(MakeWav(1, 22050, 100), "x.wav");
    EXPECT_THROW(wav.LoadFromMemory({1, 2, 3}, "bad.wav"), RWException);
    EXPECT_EQ(wav.FileName(), "");
    EXPECT_EQ(wav.DurationMs(), 0u);
    try {
        wav.LoadSound("/nonexistent/word.mp3");
        FAIL();
    } catch (const RWException& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/word.mp3"), std::string::npos);
    }
}

TEST_F(RamWavTest, LoadSoundIfNewSkipsTheSameNameInAnyCase) {
    fs::path dir = fs::temp_directory_path() / ("parlora-ramwav-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    fs::path file = dir / "Word.wav";
    auto write = [&](const std::vector<uint8_t>& b) {
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), long(b.size()));
    };
    write(MakeWav(1, 22050, 22050));
    wav.LoadSoundIfNew(file.string());
    EXPECT_EQ(wav.DurationMs(), 1000u);
    write(MakeWav(1, 22050, 11025));
    std::string other = (dir / "WORD.WAV").string();
    wav.LoadSoundIfNew(other);
    EXPECT_EQ(wav.DurationMs(), 1000u); // not read again
    wav.SaveSound((dir / "copy.wav").string(), false);
    EXPECT_EQ(fs::file_size(dir / "copy.wav"), 46u + 44100u);
    EXPECT_THROW(wav.SaveSound((dir / "copy.mp3").string(), false), RWException);
    fs::remove_all(dir);
}

TEST_F(RamWavTest, ClipTrimsWholeQuietFrames) {
    wav.LoadFromMemory(MakeWav(1, 22050, 500, 1000), "m.wav");
    wav.SetClipThreshold(5);
    EXPECT_EQ(wav.PlayLength(), 1000u);
    // Stereo: channels must not swap, so the trim moves by whole frames.
    wav.LoadFromMemory(MakeWav(2, 22050, 500, 1000), "s.wav");
    EXPECT_EQ(wav.PlayLength(), 2000u);
    wav.Play();
    EXPECT_EQ(audio.requests.back().samples->at(0), 20000);
    TWaveFormat eight{1, 1, 8000, 8000, 1, 8, 0};
    EXPECT_THROW(wav.LoadData(eight, {128, 128}), RWException);
}

} // namespace
