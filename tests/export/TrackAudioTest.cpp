// A track is the male sound, then the female one, with half a second of silence around each; the
// female sound is brought to the male sound's format, and silence is silence in every format.
#include "export/TrackAudio.h"

#include "core/Errors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace parlora {
namespace {

WaveData Wave(int rate, int channels, int bits, std::vector<uint8_t> bytes) {
    WaveData w;
    w.Format.FormatTag = 1;
    w.Format.Channels = uint16_t(channels);
    w.Format.SamplesPerSec = uint32_t(rate);
    w.Format.BitsPerSample = uint16_t(bits);
    w.Format.BlockAlign = uint16_t(channels * bits / 8);
    w.Format.AvgBytesPerSec = w.Format.BlockAlign * uint32_t(rate);
    w.DataLength = uint32_t(bytes.size());
    w.Image = std::move(bytes);
    return w;
}

// `frames` of a constant 16-bit value on each channel.
WaveData Constant16(int rate, int channels, size_t frames, int16_t value) {
    std::vector<uint8_t> b;
    for (size_t i = 0; i < frames * size_t(channels); ++i) {
        b.push_back(uint8_t(value & 0xFF));
        b.push_back(uint8_t((value >> 8) & 0xFF));
    }
    return Wave(rate, channels, 16, b);
}

TEST(TrackAudio, MaleThenFemaleWithHalfSecondsOfSilenceAround) {
    WaveData m = Constant16(22050, 1, 1000, 1000), f = Constant16(22050, 1, 700, -2000);
    TrackAudio::Fit fit;
    TrackPcm t = TrackAudio::Build(m, f, &fit);
    EXPECT_EQ(fit, TrackAudio::Fit::Same);
    EXPECT_EQ(t.sampleRate, 22050);
    EXPECT_EQ(t.channels, 1);
    const size_t gap = 11025;
    ASSERT_EQ(t.samples.size(), 3 * gap + 1000 + 700);
    auto all = [&](size_t from, size_t n, int16_t v) {
        for (size_t i = from; i < from + n; ++i)
            if (t.samples[i] != v) return false;
        return true;
    };
    EXPECT_TRUE(all(0, gap, 0));
    EXPECT_TRUE(all(gap, 1000, 1000));
    EXPECT_TRUE(all(gap + 1000, gap, 0));
    EXPECT_TRUE(all(2 * gap + 1000, 700, -2000));
    EXPECT_TRUE(all(2 * gap + 1700, gap, 0));
    EXPECT_NEAR(t.Seconds(), 1.5 + 1700.0 / 22050, 1e-9);
}

TEST(TrackAudio, EightBitSoundsHaveNoStepBetweenSoundAndSilence) {
    // Unsigned 8-bit silence is 128; it must come out as the same zero as the gaps.
    WaveData m = Wave(11025, 1, 8, std::vector<uint8_t>(500, 128));
    WaveData f = Wave(11025, 1, 8, std::vector<uint8_t>(300, 128));
    TrackPcm t = TrackAudio::Build(m, f);
    ASSERT_EQ(t.samples.size(), 3 * 5512u + 800u);
    for (int16_t s : t.samples)
        ASSERT_EQ(s, 0);
    // The loudest 8-bit values keep their sign.
    TrackPcm loud = TrackAudio::Build(Wave(11025, 1, 8, {255, 0}), Wave(11025, 1, 8, {128}));
    EXPECT_GT(loud.samples[5512], 30000);
    EXPECT_EQ(loud.samples[5513], -32768);
}

TEST(TrackAudio, AFemaleSoundOfAnotherFormatIsConvertedToTheMalesFormat) {
    struct Case {
        int rate, channels, bits;
    };
    for (Case c : {Case{44100, 2, 16}, Case{11025, 1, 8}, Case{22050, 2, 8}, Case{16000, 1, 16}}) {
        SCOPED_TRACE(std::to_string(c.rate) + "/" + std::to_string(c.channels) + "/" +
                     std::to_string(c.bits));
        size_t frames = size_t(c.rate) / 10; // a tenth of a second
        WaveData f = c.bits == 16 ? Constant16(c.rate, c.channels, frames, 4096)
                                  : Wave(c.rate, c.channels, 8,
                                         std::vector<uint8_t>(frames * size_t(c.channels), 144));
        WaveData m = Constant16(22050, 1, 2205, 100);
        TrackAudio::Fit fit;
        TrackPcm t = TrackAudio::Build(m, f, &fit);
        EXPECT_EQ(fit, TrackAudio::Fit::Converted);
        EXPECT_EQ(t.sampleRate, 22050);
        EXPECT_EQ(t.channels, 1);
        // The female part lasts a tenth of a second at the male rate, at the level it had.
        size_t femaleFrames = t.samples.size() - 3 * 11025 - 2205;
        EXPECT_NEAR(double(femaleFrames), 2205.0, 1.0);
        EXPECT_EQ(t.samples[2 * 11025 + 2205 + femaleFrames / 2], 4096);
    }
    // A stereo male voice makes a stereo track; a mono female one is put on both sides.
    TrackPcm st = TrackAudio::Build(Constant16(22050, 2, 10, 5), Constant16(22050, 1, 10, 7));
    EXPECT_EQ(st.channels, 2);
    ASSERT_EQ(st.samples.size(), 2 * (3 * 11025u + 20u));
    EXPECT_EQ(st.samples[2 * (2 * 11025 + 10)], 7);
    EXPECT_EQ(st.samples[2 * (2 * 11025 + 10) + 1], 7);
}

TEST(TrackAudio, SoundsTheExportCannotUseAreRefused) {
    WaveData good = Constant16(22050, 1, 100, 1);
    WaveData threeChannels = Constant16(22050, 3, 100, 1);
    WaveData empty = Constant16(22050, 1, 0, 0);
    WaveData compressed = good;
    compressed.Format.FormatTag = 2;
    for (const WaveData* bad : {&threeChannels, &empty, &compressed}) {
        EXPECT_THROW(TrackAudio::Build(good, *bad), RWException);
        EXPECT_THROW(TrackAudio::Build(*bad, good), RWException);
    }
}

} // namespace
} // namespace parlora
