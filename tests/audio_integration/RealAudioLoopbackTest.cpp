// A tone played through the real SDL backend into a PulseAudio null sink comes back through the
// sink's monitor with its pitch intact. Needs a private server (tools/run-tests.sh starts one and
// exports PULSE_SERVER); without one every case skips.
#include "media/KaRamWav.h"
#include "media/KaRecordWav.h"
#include "platform/Dispatcher.h"
#include "platform/sdl/SdlPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <numbers>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace parlora;

namespace {

struct ToneCase {
    double frequency;
    int sampleRate;
    int channels;
};

TWaveFormat PcmFormat(int rate, int channels) {
    TWaveFormat f;
    f.FormatTag = 1;
    f.Channels = uint16_t(channels);
    f.SamplesPerSec = uint32_t(rate);
    f.BitsPerSample = 16;
    f.BlockAlign = uint16_t(channels * 2);
    f.AvgBytesPerSec = f.SamplesPerSec * f.BlockAlign;
    return f;
}

// Little-endian 16-bit samples, as a WAV file holds them: every channel carries the same sine.
std::vector<uint8_t> Sine(double frequency, int rate, int channels, double seconds, double amplitude) {
    const size_t frames = size_t(seconds * rate);
    std::vector<uint8_t> bytes;
    bytes.reserve(frames * size_t(channels) * 2);
    for (size_t i = 0; i < frames; ++i) {
        const double v =
            amplitude * 32767.0 * std::sin(2.0 * std::numbers::pi * frequency * double(i) / rate);
        const uint16_t s = uint16_t(int16_t(std::lround(v)));
        for (int c = 0; c < channels; ++c) {
            bytes.push_back(uint8_t(s & 0xFF));
            bytes.push_back(uint8_t(s >> 8));
        }
    }
    return bytes;
}

std::vector<int16_t> Samples(const uint8_t* bytes, uint32_t length) {
    std::vector<int16_t> out(length / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = int16_t(uint16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
    return out;
}

// What a take may be off by and still pass: the pitch within 2 %, and three quarters of its windows
// holding at least this share of their energy at the played pitch.
constexpr double PitchTolerance = 0.02;
constexpr double MinPurity = 0.6;

// 46 ms at 44.1 kHz: a block the sound server drops or fills with silence spoils one or two windows
// out of twenty, while a second tone (220 Hz away is ten bins) shows in every window.
constexpr size_t Window = 2048;

struct Analysis {
    size_t toneWindows = 0; // windows from the first loud sample on that hold the tone
    size_t silences = 0;    // stretches of digital silence inside the tone (32 samples or more)
    double frequency = 0;   // from the median interval between rising zero crossings
    double purity = 0;      // the tone windows' lower quartile of the share of energy at `expected`
};

// Medians and quartiles rather than whole-take figures: under load the sound server now and then
// plays a few ms of silence into the sink when our stream runs short, and one such gap throws a
// whole-take crossing count off by a few % and breaks a whole-take Goertzel sum. A wrong rate
// moves every interval and a second tone is in every window, so both still fail.
Analysis Analyse(const std::vector<int16_t>& x, int rate, double expected) {
    Analysis a;
    const int threshold = 2000;

    // A crossing counts only after a swing below -threshold, so silence and noise add none.
    std::vector<double> periods;
    double previous = -1;
    bool armed = false;
    for (size_t i = 1; i < x.size(); ++i) {
        const double p = x[i - 1], q = x[i];
        if (p < -threshold) armed = true;
        if (armed && p < 0 && q >= 0) {
            const double t = double(i - 1) + p / (p - q);
            if (previous >= 0) periods.push_back(t - previous);
            previous = t;
            armed = false;
        }
    }
    if (!periods.empty()) {
        auto middle = periods.begin() + std::ptrdiff_t(periods.size() / 2);
        std::nth_element(periods.begin(), middle, periods.end());
        a.frequency = rate / *middle;
    }

    size_t first = 0;
    while (first < x.size() && std::abs(int(x[first])) <= threshold)
        ++first;
    size_t last = x.size();
    while (last > first && std::abs(int(x[last - 1])) <= threshold)
        --last;
    // A sine this loud never rests on zero: a run of zeros is silence put in its place.
    size_t zeros = 0;
    for (size_t i = first; i < last; ++i) {
        zeros = x[i] == 0 ? zeros + 1 : 0;
        if (zeros == 32) ++a.silences;
    }
    const double w = 2.0 * std::numbers::pi * expected / rate;
    const double coeff = 2.0 * std::cos(w);
    std::vector<double> purities;
    for (size_t start = first; start + Window <= x.size(); start += Window) {
        double s1 = 0, s2 = 0, energy = 0;
        for (size_t i = start; i < start + Window; ++i) {
            const double v = x[i];
            energy += v * v;
            const double s0 = v + coeff * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        // Device latency before the tone and a stall of the server leave quiet windows: no tone
        // there to judge.
        if (energy < double(Window) * threshold * threshold / 2) continue;
        const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2; // |X(f)|^2
        // A pure sine of amplitude A over n samples: |X|^2 = (A n / 2)^2 and energy = A^2 n / 2.
        purities.push_back(power * 2.0 / (double(Window) * energy));
    }
    a.toneWindows = purities.size();
    if (!purities.empty()) {
        auto quartile = purities.begin() + std::ptrdiff_t(purities.size() / 4);
        std::nth_element(purities.begin(), quartile, purities.end());
        a.purity = *quartile;
    }
    return a;
}

// A one-second take at 44.1 kHz as the loopback gives it: 30 ms of silence, then the tones.
std::vector<int16_t> SyntheticTake(std::initializer_list<std::pair<double, double>> tones) {
    std::vector<int16_t> x(44100, 0);
    for (size_t i = 1323; i < x.size(); ++i) {
        double v = 0;
        for (const auto& [frequency, amplitude] : tones)
            v += amplitude * 32767.0 * std::sin(2.0 * std::numbers::pi * frequency * double(i) / 44100.0);
        x[i] = int16_t(std::lround(v));
    }
    return x;
}

// The ways a take gets spoiled on the way: the server's silence for a stream that ran short,
// a block lost and a block heard twice.
std::vector<int16_t> WithSilence(std::vector<int16_t> x, size_t at, size_t length) {
    x.insert(x.begin() + std::ptrdiff_t(at), length, int16_t(0));
    x.resize(44100);
    return x;
}

std::vector<int16_t> WithoutBlock(std::vector<int16_t> x, size_t at, size_t length) {
    x.erase(x.begin() + std::ptrdiff_t(at), x.begin() + std::ptrdiff_t(at + length));
    return x;
}

std::vector<int16_t> WithRepeatedBlock(std::vector<int16_t> x, size_t at, size_t length) {
    const std::vector<int16_t> block(x.begin() + std::ptrdiff_t(at), x.begin() + std::ptrdiff_t(at + length));
    x.insert(x.begin() + std::ptrdiff_t(at + length), block.begin(), block.end());
    x.resize(44100);
    return x;
}

TEST(LoopbackAnalysis, MeasuresAPureToneExactly) {
    for (double f : {440.0, 1000.0}) {
        const Analysis a = Analyse(SyntheticTake({{f, 0.5}}), 44100, f);
        EXPECT_NEAR(a.frequency, f, f * 0.0005);
        EXPECT_GT(a.purity, 0.99);
        EXPECT_EQ(a.toneWindows, (44100u - 1323u) / Window);
    }
}

TEST(LoopbackAnalysis, OneSpoiledBlockFailsNeitherPitchNorPurity) {
    const std::vector<int16_t> take = SyntheticTake({{440.0, 0.5}});
    for (const auto& spoiled : {WithSilence(take, 20000, 254), WithSilence(take, 20000, 1024),
                                WithoutBlock(take, 20000, 1024), WithRepeatedBlock(take, 20000, 1024)}) {
        const Analysis a = Analyse(spoiled, 44100, 440.0);
        EXPECT_NEAR(a.frequency, 440.0, 440.0 * PitchTolerance);
        EXPECT_GT(a.purity, MinPurity);
    }
    EXPECT_EQ(Analyse(take, 44100, 440.0).silences, 0u);
    EXPECT_EQ(Analyse(WithSilence(take, 20000, 254), 44100, 440.0).silences, 1u);
    EXPECT_EQ(Analyse(WithoutBlock(take, 20000, 1024), 44100, 440.0).silences, 0u);
}

TEST(LoopbackAnalysis, AWrongRateFailsPitchAndPurity) {
    // The source played as if its rate were 2.5 % higher or lower, with one gap besides.
    for (double ratio : {1.025, 1.0 / 1.025}) {
        for (double f : {440.0, 1000.0}) {
            const Analysis a = Analyse(WithSilence(SyntheticTake({{f * ratio, 0.5}}), 20000, 254), 44100, f);
            EXPECT_GT(std::abs(a.frequency - f), f * PitchTolerance) << f << " Hz at " << ratio;
            EXPECT_LT(a.purity, MinPurity) << f << " Hz at " << ratio;
        }
    }
}

TEST(LoopbackAnalysis, ASecondToneFailsPurity) {
    const std::vector<int16_t> mix = SyntheticTake({{440.0, 0.25}, {660.0, 0.25}});
    EXPECT_LT(Analyse(mix, 44100, 440.0).purity, MinPurity);
    EXPECT_LT(Analyse(WithSilence(mix, 20000, 254), 44100, 440.0).purity, MinPurity);
    EXPECT_LT(Analyse(SyntheticTake({{1000.0, 0.25}, {1500.0, 0.25}}), 44100, 1000.0).purity, MinPurity);
}

void PrintTo(const ToneCase& tc, std::ostream* os) {
    *os << tc.frequency << " Hz, " << tc.sampleRate << " Hz source, " << tc.channels << " channel(s)";
}

// One platform for the whole suite: opening the device is slow, and a fresh null sink may sit
// up to two seconds on its idle latency before it pulls the first buffer. The tones play one
// after another in one test: cases run as parallel processes would mix in the one sink.
class RealAudioLoopback : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const char* server = std::getenv("PULSE_SERVER");
        if (!server || !*server) {
            skipReason_ = "PULSE_SERVER is not set: no private sound server";
            return;
        }
        const std::string s = server;
        if (s.rfind("unix:", 0) == 0 && !std::filesystem::exists(s.substr(5))) {
            skipReason_ = "no sound server at " + s;
            return;
        }
        setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        platform_ = new SdlPlatform();
        if (!platform_->audioOut().deviceOpen()) {
            skipReason_ = "the sound server cannot be reached at " + s;
            TearDownTestSuite();
            return;
        }
        dispatcher_ = new Dispatcher(platform_->clock(), platform_);
        platform_->attach(*dispatcher_);
        // A heartbeat bounds every wait of the loop, so the wall-clock limits below are honoured.
        dispatcher_->setTimer(10, true, [] {});

        // The first buffer is taken at once and the stall comes after it, so wait for several.
        VoiceRequest silence;
        silence.samples = std::make_shared<const std::vector<int16_t>>(22050, int16_t(0));
        const VoiceId id = platform_->audioOut().play(silence, nullptr);
        warm_ = RunUntil([id] { return platform_->audioOut().framesPlayed(id) >= 8192; }, 5000);
        platform_->audioOut().stop(id);
    }

    static void TearDownTestSuite() {
        delete dispatcher_;
        dispatcher_ = nullptr;
        delete platform_;
        platform_ = nullptr;
    }

    void SetUp() override {
        if (!platform_) GTEST_SKIP() << skipReason_;
        ASSERT_TRUE(warm_) << "the sound device never asked for samples";
    }

    // Runs the real loop until `done` or `limitMs` of wall-clock time; false on time-out.
    static bool RunUntil(const std::function<bool()>& done, uint64_t limitMs) {
        const uint64_t start = platform_->clock().nowMs();
        while (!done()) {
            if (platform_->clock().nowMs() - start > limitMs) return false;
            dispatcher_->runOnce(true);
        }
        return true;
    }

    static inline SdlPlatform* platform_ = nullptr;
    static inline Dispatcher* dispatcher_ = nullptr;
    static inline bool warm_ = false;
    static inline std::string skipReason_;

    void CheckLoopback(const ToneCase& tc);
    // One play of the tone with a take from its middle. Faults that no retake explains are
    // reported here; the take's shortcomings go to `failures` and its silences to `silences`.
    void PlayAndRecord(const ToneCase& tc, std::vector<std::string>& failures, size_t& silences);
};

// Under load the sound server now and then has nothing from our stream when the sink wants it
// and plays silence instead, which the take holds as digital silence. A take with such silence
// that fails is taken again (three takes in all); one without it is judged at once, and a wrong
// rate or a second tone fails every take.
void RealAudioLoopback::CheckLoopback(const ToneCase& tc) {
    constexpr int MaxTakes = 3;
    for (int take = 1;; ++take) {
        std::vector<std::string> failures;
        size_t silences = 0;
        PlayAndRecord(tc, failures, silences);
        if (HasFatalFailure() || failures.empty()) return;
        if (silences > 0 && take < MaxTakes) {
            std::printf(
                "take %d of %g Hz held %zu stretch(es) of silence from the sound server (%s): taken again\n",
                take, tc.frequency, silences, failures.front().c_str());
            continue;
        }
        for (const std::string& f : failures)
            ADD_FAILURE() << f << " (take " << take << ", " << silences << " stretch(es) of silence)";
        return;
    }
}

void RealAudioLoopback::PlayAndRecord(const ToneCase& tc, std::vector<std::string>& failures,
                                      size_t& silences) {
    constexpr double ToneSeconds = 1.6;
    std::vector<std::string> errors;
    dispatcher_->setErrorHandler([&](const std::exception& e) { errors.push_back(e.what()); });
    struct Unhook {
        ~Unhook() { dispatcher_->setErrorHandler(nullptr); }
    } unhook;

    TKaRamWav player(platform_->audioOut(), *dispatcher_);
    player.LoadData(PcmFormat(tc.sampleRate, tc.channels),
                    Sine(tc.frequency, tc.sampleRate, tc.channels, ToneSeconds, 0.5), "tone.wav");
    int playDone = 0;
    uint64_t playEndedAt = 0;
    player.OnPlayDone = [&](TKaRamWav&) {
        ++playDone;
        playEndedAt = platform_->clock().nowMs();
    };

    TKaRecordWav recorder(platform_->audioOut(), platform_->audioIn(), *dispatcher_);
    recorder.SetSamplesPerSec(44100);
    recorder.SetDuration(1000);
    bool recordDone = false;
    recorder.OnRecordDone = [&](TKaRecordWav&) { recordDone = true; };

    const uint64_t playStart = platform_->clock().nowMs();
    player.Play();
    // Record once the device has the tone, so the take falls inside it whatever the latency.
    ASSERT_TRUE(RunUntil([&] { return player.PlayPosition() > 0; }, 2000))
        << "the tone never reached the device";
    recorder.Record();
    ASSERT_TRUE(RunUntil([&] { return recordDone; }, 4000)) << "the recording never finished";
    EXPECT_FALSE(recorder.Recording());
    ASSERT_EQ(recorder.PlayLength(), 88200u) << "a one-second take at 44100 Hz mono";

    const Analysis a = Analyse(Samples(recorder.PlayData(), recorder.PlayLength()), 44100, tc.frequency);
    silences = a.silences;
    auto fail = [&failures](const auto&... parts) {
        std::ostringstream os;
        (os << ... << parts);
        failures.push_back(os.str());
    };
    if (a.toneWindows * Window <= 44100u * 3 / 10) {
        fail("the take holds too little of the tone: ", a.toneWindows, " windows");
    } else {
        if (std::abs(a.frequency - tc.frequency) > tc.frequency * PitchTolerance)
            fail("pitch ", a.frequency, " Hz, more than 2 % off");
        if (!(a.purity > MinPurity))
            fail("the tone came back distorted or mixed with another: purity ", a.purity);
    }

    // The natural end is reported once, after about the tone's own length (later when the server
    // stalled the stream).
    ASSERT_TRUE(RunUntil([&] { return playDone > 0; }, 4000)) << "no end of play reported";
    const double playedMs = double(playEndedAt - playStart);
    EXPECT_GT(playedMs, ToneSeconds * 1000 - 100);
    if (playedMs >= ToneSeconds * 1000 + 800) fail("the end of play came after ", playedMs, " ms");
    RunUntil([] { return false; }, 50);
    EXPECT_EQ(playDone, 1);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// The mixer's rate conversion and downmix are heard too: a 22050 Hz stereo source must keep its pitch.
TEST_F(RealAudioLoopback, RecordsThePlayedToneAtItsPitch) {
    for (const ToneCase& tc : {ToneCase{1000.0, 44100, 1}, ToneCase{440.0, 22050, 2}}) {
        SCOPED_TRACE(::testing::PrintToString(tc));
        CheckLoopback(tc);
        if (HasFatalFailure()) return;
    }
}

} // namespace
