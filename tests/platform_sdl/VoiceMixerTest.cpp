// The software mixer: channel folding, rate change, saturation, gain and the end of voices.
#include "platform/sdl/VoiceMixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace parlora;

namespace {

VoiceRequest voice(std::vector<int16_t> samples, int rate = 44100, int channels = 1) {
    VoiceRequest r;
    r.samples = std::make_shared<const std::vector<int16_t>>(std::move(samples));
    r.sampleRate = rate;
    r.channels = channels;
    return r;
}

// Mixes until every voice has ended (or a limit) and returns the output frames produced while
// any voice still sounded.
int framesUntilEnd(VoiceMixer& m, VoiceId id, int chunk = 256) {
    std::vector<int16_t> out(size_t(chunk) * 2);
    int total = 0;
    for (int guard = 0; guard < 10000 && !m.finished(id); ++guard) {
        m.mix(out.data(), chunk);
        total += chunk;
    }
    return total;
}

} // namespace

TEST(VoiceMixer, MonoIsDuplicatedAndStereoKept) {
    VoiceMixer m(44100);
    ASSERT_TRUE(m.add(1, voice({1000, 2000, 3000})));
    std::vector<int16_t> out(8, 7);
    EXPECT_EQ(m.mix(out.data(), 4), 1);
    EXPECT_EQ(out, (std::vector<int16_t>{1000, 1000, 2000, 2000, 3000, 3000, 0, 0}));

    VoiceMixer s(44100);
    ASSERT_TRUE(s.add(2, voice({100, -100, 200, -200}, 44100, 2)));
    s.mix(out.data(), 4);
    EXPECT_EQ(out, (std::vector<int16_t>{100, -100, 200, -200, 0, 0, 0, 0}));
}

TEST(VoiceMixer, ManyChannelsAverageIntoLeftAndRight) {
    VoiceMixer m(44100);
    // Six channels: 0, 2, 4 go left (avg 200), 1, 3, 5 go right (avg -20).
    ASSERT_TRUE(m.add(1, voice({100, -10, 200, -20, 300, -30}, 44100, 6)));
    std::vector<int16_t> out(2);
    m.mix(out.data(), 1);
    EXPECT_EQ(out[0], 200);
    EXPECT_EQ(out[1], -20);
}

TEST(VoiceMixer, ResamplingKeepsTheLengthAndInterpolates) {
    VoiceMixer m(44100);
    std::vector<int16_t> ramp(2205);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = int16_t(i * 10);
    ASSERT_TRUE(m.add(1, voice(ramp, 22050)));
    std::vector<int16_t> out(16);
    m.mix(out.data(), 8);
    // Half steps: every second output frame lies between two source frames.
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2], 5);
    EXPECT_EQ(out[4], 10);
    EXPECT_EQ(out[6], 15);
    EXPECT_EQ(m.framesConsumed(1), 4u);

    VoiceMixer n(44100);
    ASSERT_TRUE(n.add(2, voice(ramp, 22050)));
    const int frames = framesUntilEnd(n, 2, 1);
    EXPECT_EQ(frames, 4410); // 100 ms at either rate
    EXPECT_EQ(n.framesConsumed(2), 2205u);
    EXPECT_EQ(VoiceMixer::OutputFramesFor(2205, 22050, 44100), 4410u);
    EXPECT_EQ(VoiceMixer::OutputFramesFor(1, 48000, 44100), 1u);

    VoiceMixer fast(44100);
    ASSERT_TRUE(fast.add(3, voice(std::vector<int16_t>(4800), 48000)));
    EXPECT_NEAR(framesUntilEnd(fast, 3, 1), 4410, 1);
}

TEST(VoiceMixer, SaturatesAndAppliesGain) {
    VoiceMixer m(44100);
    ASSERT_TRUE(m.add(1, voice({30000, -30000, 1000})));
    ASSERT_TRUE(m.add(2, voice({30000, -30000, 1000})));
    std::vector<int16_t> out(6);
    m.mix(out.data(), 3);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[2], -32768);
    EXPECT_EQ(out[4], 2000);

    VoiceMixer g(44100);
    g.setGain(32768); // about half
    ASSERT_TRUE(g.add(1, voice({30000, -30000})));
    ASSERT_TRUE(g.add(2, voice({30000, -30000})));
    g.mix(out.data(), 2);
    // The gain comes before the clamp, so two loud voices at half gain do not clip.
    EXPECT_NEAR(out[0], 30000, 2);
    EXPECT_NEAR(out[2], -30000, 2);
    g.setGain(0);
    ASSERT_TRUE(g.add(3, voice({12345})));
    g.mix(out.data(), 1);
    EXPECT_EQ(out[0], 0);
}

TEST(VoiceMixer, EndsAreReportedOnceAndCollected) {
    VoiceMixer m(44100);
    ASSERT_TRUE(m.add(1, voice(std::vector<int16_t>(300, 5))));
    ASSERT_TRUE(m.add(2, voice(std::vector<int16_t>(1000, 5))));
    ASSERT_TRUE(m.add(3, voice({}))); // empty: ends at the first mix
    std::vector<int16_t> out(512);
    EXPECT_EQ(m.mix(out.data(), 256), 1);
    EXPECT_TRUE(m.finished(3));
    EXPECT_EQ(m.mix(out.data(), 256), 1); // voice 1 ends here
    EXPECT_TRUE(m.finished(1));
    EXPECT_FALSE(m.finished(2));
    EXPECT_EQ(m.mix(out.data(), 256), 0); // finished voices are not counted again
    EXPECT_EQ(m.activeVoices(), 1);

    VoiceId ids[8];
    ASSERT_EQ(m.takeFinished(ids, 8), 2u);
    EXPECT_FALSE(m.contains(1));
    EXPECT_FALSE(m.contains(3));
    EXPECT_TRUE(m.contains(2));
    EXPECT_EQ(m.takeFinished(ids, 8), 0u);
}

TEST(VoiceMixer, StopMidwaySilencesAtOnce) {
    VoiceMixer m(44100);
    ASSERT_TRUE(m.add(1, voice(std::vector<int16_t>(44100, 8000))));
    std::vector<int16_t> out(512);
    m.mix(out.data(), 256);
    EXPECT_EQ(out[0], 8000);
    EXPECT_EQ(m.framesConsumed(1), 256u);
    EXPECT_TRUE(m.remove(1));
    EXPECT_FALSE(m.remove(1));
    EXPECT_EQ(m.mix(out.data(), 256), 0);
    for (int16_t s : out)
        EXPECT_EQ(s, 0);
    VoiceId ids[4];
    EXPECT_EQ(m.takeFinished(ids, 4), 0u); // a stopped voice never shows up as ended
}

TEST(VoiceMixer, RefusesBadRequestsAndFullTable) {
    VoiceMixer m(44100);
    VoiceRequest none;
    EXPECT_FALSE(m.add(1, none));
    EXPECT_FALSE(m.add(2, voice({1, 2}, 0)));
    EXPECT_FALSE(m.add(3, voice({1, 2}, 44100, 9)));
    // A trailing half frame is ignored rather than read past the end.
    ASSERT_TRUE(m.add(4, voice({1, 2, 3}, 44100, 2)));
    EXPECT_FALSE(m.add(4, voice({1}))); // ids are unique
    EXPECT_EQ(framesUntilEnd(m, 4, 1), 1);
    for (VoiceId id = 100; id < 100 + VoiceMixer::MaxVoices - 1; ++id)
        EXPECT_TRUE(m.add(id, voice({1})));
    EXPECT_FALSE(m.add(999, voice({1})));
}
