// The two voices side by side: envelopes from 16-bit PCM, one time scale for both lanes, and the
// picture of a known pair (a two-syllable word and a take that lost its second syllable).
#include "display/DIBContainer.h"
#include "display/DIBWaveView.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace parlora;
using namespace parlora::test;

namespace {

// Mono 16-bit little-endian: each part is (milliseconds, amplitude 0..1) of a 440 Hz tone.
std::vector<uint8_t> Tone(const std::vector<std::pair<int, double>>& parts, int rate = 44100,
                          int channels = 1) {
    std::vector<uint8_t> out;
    size_t n = 0;
    for (auto [ms, amp] : parts)
        for (int i = 0; i < ms * rate / 1000; ++i, ++n) {
            auto s =
                uint16_t(int16_t(std::lround(amp * 32000 * std::sin(2 * std::numbers::pi * 440 * n / rate))));
            for (int c = 0; c < channels; ++c) {
                out.push_back(uint8_t(s & 0xFF));
                out.push_back(uint8_t(s >> 8));
            }
        }
    return out;
}

TWaveVoice Voice(const std::vector<uint8_t>& bytes, int rate = 44100, int channels = 1) {
    return {bytes.data(), uint32_t(bytes.size()), channels, 16, rate};
}

struct WaveViewTest : ::testing::Test {
    TDIBImageContainer screen{500, 180};
    TDIBWaveView* view = nullptr;
    void SetUp() override {
        screen.SetColor(0xFF203040u);
        view = &screen.Create<TDIBWaveView>("DIBWV_Voices");
        view->SetBounds(10, 10, 480, 160);
    }
};

TEST_F(WaveViewTest, EnvelopeHoldsThePeakOfEachFiveMilliseconds) {
    auto word = Tone({{100, 0.0}, {100, 0.5}});
    view->SetVoice(TDIBWaveView::wlSpeaker, Voice(word));
    const auto& env = view->Envelope(TDIBWaveView::wlSpeaker);
    ASSERT_EQ(env.size(), 40u);
    EXPECT_EQ(env[0], 0);
    EXPECT_EQ(env[19], 0);
    EXPECT_NEAR(env[25], 16000, 200);
    EXPECT_TRUE(view->Envelope(TDIBWaveView::wlLearner).empty());
}

TEST_F(WaveViewTest, StereoAndOtherRatesKeepTheirTime) {
    auto stereo = Tone({{400, 0.3}}, 22050, 2);
    view->SetVoice(TDIBWaveView::wlLearner, Voice(stereo, 22050, 2));
    EXPECT_EQ(view->Envelope(TDIBWaveView::wlLearner).size(), 400u / TDIBWaveView::kEnvelopeMs);
}

TEST_F(WaveViewTest, SoundsItCannotReadShowAsSilence) {
    auto word = Tone({{100, 0.5}});
    TWaveVoice eight = Voice(word);
    eight.bitsPerSample = 8;
    view->SetVoices(eight, TWaveVoice{});
    EXPECT_TRUE(view->Envelope(TDIBWaveView::wlSpeaker).empty());
    TWaveVoice odd = Voice(word);
    odd.length = 1; // less than one sample
    view->SetVoice(TDIBWaveView::wlSpeaker, odd);
    EXPECT_TRUE(view->Envelope(TDIBWaveView::wlSpeaker).empty());
}

TEST_F(WaveViewTest, BothLanesShareTheLongerVoicesScale) {
    auto word = Tone({{1200, 0.8}});
    auto take = Tone({{400, 0.8}});
    view->SetVoices(Voice(word), Voice(take));
    EXPECT_EQ(view->SpanMs(), 1200);
    screen.takeDirty();
    const Surface& s = screen.surface();
    // The inner panel runs from x 12 to 487; the take's ink stops a third of the way along it.
    const int quarter = 12 + 476 / 4, mid = 12 + 476 / 2, learnerAxis = 10 + 2 + 78 + 39;
    auto inked = [&](int x) { return s.pixel(x, learnerAxis - 20) == view->LearnerColor; };
    EXPECT_TRUE(inked(quarter));
    EXPECT_FALSE(inked(mid + 10));
    EXPECT_EQ(s.pixel(mid + 10, 10 + 2 + 39 - 20), view->SpeakerColor);
}

TEST_F(WaveViewTest, KnownPairMatchesItsPicture) {
    // The speaker says two syllables; the learner says the first one a little faster and stops.
    auto word = Tone({{80, 0.0}, {300, 0.85}, {120, 0.05}, {350, 0.6}, {150, 0.0}});
    auto take = Tone({{200, 0.02}, {220, 0.7}, {580, 0.02}});
    view->SetVoices(Voice(word), Voice(take));
    screen.takeDirty();
    EXPECT_TRUE(MatchesGolden(screen.surface(), "wave_voices.png", {2, 0.0}));
}

} // namespace
