#include "media/KaRecordWav.h"

#include "core/Errors.h"
#include "media/WaveFile.h"
#include "platform/Clock.h"
#include "platform/Dispatcher.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace parlora;
namespace fs = std::filesystem;

namespace {

class NullAudioOut : public IAudioOut {
  public:
    VoiceId play(const VoiceRequest&, std::function<void()>) override { return ++plays; }
    void stop(VoiceId) override {}
    bool isPlaying(VoiceId) const override { return false; }
    uint64_t framesPlayed(VoiceId) const override { return 0; }
    void setSoftwareGain(uint16_t) override {}
    bool deviceOpen() const override { return true; }
    VoiceId plays = 0;
};

// Hands out blocks only when the test says so; the samples count up so the take can be checked.
class FakeAudioIn : public IAudioIn {
  public:
    bool start(int rate, int blockFrames, std::function<void(std::vector<int16_t>)> onBlock) override {
        if (fail) return false;
        ++starts;
        this->rate = rate;
        frames = blockFrames;
        onBlock_ = std::move(onBlock);
        return true;
    }
    std::vector<int16_t> stop() override {
        ++stops;
        onBlock_ = nullptr;
        return std::move(pending);
    }
    bool recording() const override { return bool(onBlock_); }

    // Delivers one full block, as the device thread's post would on the UI thread.
    void deliver() {
        std::vector<int16_t> block(static_cast<size_t>(frames));
        for (auto& s : block)
            s = int16_t(next++);
        auto handler = onBlock_; // the handler may stop us
        handler(std::move(block));
    }
    std::vector<int16_t> pending;
    std::function<void(std::vector<int16_t>)> onBlock_;
    int rate = 0, frames = 0, starts = 0, stops = 0;
    int next = 0;
    bool fail = false;
};

struct HookCall {
    uint32_t length, flags;
};

class RecordWavTest : public ::testing::Test {
  protected:
    RecordWavTest() {
        rec.SetSamplesPerSec(44100);
        rec.OnRecordDone = [this](TKaRecordWav&) { ++done; };
        rec.OnRecordHook = [this](TKaRamWav&, const TWaveFormat&, uint32_t length, const uint8_t*,
                                  uint32_t flags) {
            hooks.push_back({length, flags});
        };
        rec.OnRecordProgress = [this](TKaRecordWav&, int percent) { progress.push_back(percent); };
    }
    FakeClock clock;
    Dispatcher dispatcher{clock, nullptr};
    NullAudioOut out;
    FakeAudioIn in;
    TKaRecordWav rec{out, in, dispatcher};
    int done = 0;
    std::vector<HookCall> hooks;
    std::vector<int> progress;
};

TEST_F(RecordWavTest, FormatAndBlockSize) {
    EXPECT_EQ(rec.BlockSize(), 4410u);
    TWaveFormat f = rec.RecordFormat();
    EXPECT_EQ(f.FormatTag, 1);
    EXPECT_EQ(f.Channels, 1);
    EXPECT_EQ(f.BlockAlign, 2);
    EXPECT_EQ(f.AvgBytesPerSec, 88200u);
    rec.SetSamplesPerSec(22050);
    EXPECT_EQ(rec.BlockSize(), 2204u); // 2205 rounded down to whole samples
    EXPECT_EQ(TKaRecordWav::LevelFrame(0, 8), 1);
    EXPECT_EQ(TKaRecordWav::LevelFrame(32767, 8), 7);
}

TEST_F(RecordWavTest, FullRecordingOfSevenAndAHalfSeconds) {
    rec.SetDuration(7500);
    rec.Record();
    EXPECT_EQ(in.rate, 44100);
    EXPECT_EQ(in.frames, 2205);
    int blocks = 0;
    while (in.recording() && blocks < 1000) {
        in.deliver();
        ++blocks;
    }
    EXPECT_EQ(blocks, 150);
    EXPECT_EQ(done, 1);
    ASSERT_EQ(hooks.size(), 150u);
    EXPECT_EQ(hooks.front().flags, 1u);
    EXPECT_EQ(hooks[1].flags, 0u);
    EXPECT_EQ(hooks.back().flags, 2u);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(rec.PlayLength(), 661500u);
    EXPECT_FALSE(rec.Recording());
    // The take holds the samples in order, little-endian.
    const uint8_t* d = rec.PlayData();
    EXPECT_EQ(d[2 * 3000] | d[2 * 3000 + 1] << 8, 3000);
    EXPECT_EQ(rec.DurationMs(), 7500u);
}

TEST_F(RecordWavTest, LastBlockIsCutToTheWantedLength) {
    rec.SetDuration(75); // 6615 bytes: one full block and 2205 bytes
    rec.Record();
    in.deliver();
    in.deliver();
    EXPECT_EQ(done, 1);
    ASSERT_EQ(hooks.size(), 2u);
    EXPECT_EQ(hooks[1].length, 2204u);
    EXPECT_EQ(rec.PlayLength(), 6614u);
}

TEST_F(RecordWavTest, ZeroDurationIsDoneAtOnce) {
    rec.SetDuration(0);
    rec.Record();
    EXPECT_EQ(done, 1);
    EXPECT_EQ(in.starts, 0);
    EXPECT_TRUE(rec.Empty());
}

TEST_F(RecordWavTest, StopKeepsWhatWasRecordedAndReportsOnce) {
    rec.SetDuration(5000);
    rec.Record();
    for (int i = 0; i < 20; ++i)
        in.deliver(); // one second
    in.pending.assign(100, 7);
    rec.StopRecording();
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(rec.Recording());
    EXPECT_EQ(rec.PlayLength(), 20u * 4410 + 200);
    EXPECT_EQ(hooks.back().flags, 2u);
    rec.StopRecording(); // nothing left to stop
    EXPECT_EQ(done, 1);
}

TEST_F(RecordWavTest, RecordWhileRecordingRestartsWithoutDone) {
    rec.SetDuration(100);
    rec.Record();
    in.deliver();
    auto stale = in.onBlock_;
    rec.Record();
    EXPECT_EQ(done, 0);
    EXPECT_EQ(in.starts, 2);
    // A block of the first recording still on its way is dropped.
    stale(std::vector<int16_t>(2205, 1));
    EXPECT_EQ(hooks.size(), 1u);
    in.deliver();
    in.deliver();
    EXPECT_EQ(done, 1);
    EXPECT_EQ(hooks[1].flags, 1u); // a new first block
    EXPECT_EQ(rec.PlayLength(), 8820u);
}

TEST_F(RecordWavTest, DoneHandlerMayRecordAgain) {
    rec.SetDuration(50);
    rec.OnRecordDone = [this](TKaRecordWav& r) {
        if (++done == 1) r.Record();
    };
    rec.Record();
    in.deliver();
    EXPECT_TRUE(rec.Recording());
    in.deliver();
    EXPECT_EQ(done, 2);
    EXPECT_FALSE(rec.Recording());
}

TEST_F(RecordWavTest, FailuresLeaveAConsistentState) {
    rec.SetEnabled(false);
    EXPECT_THROW(rec.Record(), RWException);
    EXPECT_THROW(rec.SetMonitor(true), RWException);
    EXPECT_FALSE(rec.Monitor());
    rec.SetEnabled(true);
    in.fail = true;
    EXPECT_THROW(rec.Record(), RWException);
    EXPECT_FALSE(rec.Recording());
    in.fail = false;
    rec.SetDuration(50);
    rec.OnRecordHook = [](TKaRamWav&, const TWaveFormat&, uint32_t, const uint8_t*, uint32_t) {
        throw RWException("hook");
    };
    rec.Record();
    EXPECT_THROW(in.deliver(), RWException);
    EXPECT_FALSE(rec.Recording());
    EXPECT_FALSE(in.recording());
}

TEST_F(RecordWavTest, MonitorSeesBlocksButKeepsNothing) {
    rec.SetMonitor(true);
    for (int i = 0; i < 5; ++i)
        in.deliver();
    EXPECT_EQ(hooks.size(), 5u);
    EXPECT_TRUE(progress.empty());
    EXPECT_EQ(done, 0);
    rec.SetMonitor(false);
    EXPECT_FALSE(in.recording());
    EXPECT_TRUE(rec.Empty());
}

TEST_F(RecordWavTest, PlayStopsTheRecordingAndPlaysTheTake) {
    rec.SetDuration(1000);
    rec.Record();
    in.deliver();
    rec.Play();
    EXPECT_EQ(done, 1);
    EXPECT_EQ(out.plays, 1u);
    EXPECT_TRUE(rec.IsPlaying());
}

TEST_F(RecordWavTest, SavedWavReadsBack) {
    rec.SetDuration(100);
    rec.Record();
    in.deliver();
    in.deliver();
    fs::path path =
        fs::temp_directory_path() /
        ("parlora_rec_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".wav");
    rec.SaveSound(path.string(), false);
    WaveData w = WaveFile::Load(path);
    fs::remove(path);
    EXPECT_EQ(w.Format.SamplesPerSec, 44100u);
    EXPECT_EQ(w.Format.Channels, 1);
    EXPECT_EQ(w.Format.BitsPerSample, 16);
    ASSERT_EQ(w.DataLength, 8820u);
    EXPECT_TRUE(std::equal(w.Data(), w.Data() + w.DataLength, rec.PlayData()));
    // 44100 Hz cannot be stored as AIFF.
    EXPECT_THROW(rec.SaveSound((fs::temp_directory_path() / "parlora_rec.aif").string(), false), RWException);
}

TEST_F(RecordWavTest, DestructionReportsNothing) {
    auto r = std::make_unique<TKaRecordWav>(out, in, dispatcher);
    int count = 0;
    r->OnRecordDone = [&](TKaRecordWav&) { ++count; };
    r->SetSamplesPerSec(44100);
    r->Record();
    r.reset();
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(in.recording());
}

} // namespace
