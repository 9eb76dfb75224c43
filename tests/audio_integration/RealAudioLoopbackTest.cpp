// A tone played through the real SDL backend into a PulseAudio null sink comes back through the
// sink's monitor with its pitch intact. Needs a private server (tools/run-tests.sh starts one and
// exports PULSE_SERVER); without one every case skips.
#include "media/KaRamWav.h"
#include "media/KaRecordWav.h"
#include "platform/Dispatcher.h"
#include "platform/sdl/SdlPlatform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <numbers>
#include <ostream>
#include <string>
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

struct Analysis {
    size_t toneSamples = 0; // the stretch between the first and the last loud sample
    double frequency = 0;   // from zero crossings inside that stretch
    double purity = 0;      // share of the stretch's energy at `frequency` (Goertzel)
};

// Silence before and after the tone (device latency) is left out; the pitch comes from the
// interpolated zero crossings, so it is exact to a fraction of a hertz over a few hundred ms.
Analysis Analyse(const std::vector<int16_t>& x, int rate, double expected) {
    Analysis a;
    const int threshold = 2000;
    size_t first = x.size(), last = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        if (std::abs(int(x[i])) > threshold) {
            if (first == x.size()) first = i;
            last = i;
        }
    }
    if (first >= last) return a;
    a.toneSamples = last - first + 1;

    double firstCross = -1, lastCross = -1;
    int crossings = 0;
    for (size_t i = first + 1; i <= last; ++i) {
        const double p = x[i - 1], q = x[i];
        if ((p < 0 && q >= 0) || (p >= 0 && q < 0)) {
            const double t = double(i - 1) + p / (p - q);
            if (firstCross < 0) firstCross = t;
            lastCross = t;
            ++crossings;
        }
    }
    if (crossings >= 2 && lastCross > firstCross)
        a.frequency = (crossings - 1) / 2.0 * rate / (lastCross - firstCross);

    const double w = 2.0 * std::numbers::pi * expected / rate;
    const double coeff = 2.0 * std::cos(w);
    double s1 = 0, s2 = 0, energy = 0;
    for (size_t i = first; i <= last; ++i) {
        const double v = x[i];
        energy += v * v;
        const double s0 = v + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2; // |X(f)|^2
    const double n = double(a.toneSamples);
    // A pure sine of amplitude A over n samples: |X|^2 = (A n / 2)^2 and energy = A^2 n / 2.
    if (energy > 0) a.purity = power * 2.0 / (n * energy);
    return a;
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
};

void RealAudioLoopback::CheckLoopback(const ToneCase& tc) {
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
    ASSERT_GT(a.toneSamples, 44100u * 3 / 10) << "the take holds too little of the tone";
    EXPECT_NEAR(a.frequency, tc.frequency, tc.frequency * 0.02);
    // A loaded machine (the other tests run beside this one) makes the sound server drop a block
    // now and then, which costs some purity but never the pitch.
    EXPECT_GT(a.purity, 0.6) << "the tone came back distorted or mixed with another";

    // The natural end is reported once, after about the tone's own length.
    ASSERT_TRUE(RunUntil([&] { return playDone > 0; }, 4000)) << "no end of play reported";
    const double playedMs = double(playEndedAt - playStart);
    EXPECT_GT(playedMs, ToneSeconds * 1000 - 100);
    EXPECT_LT(playedMs, ToneSeconds * 1000 + 800);
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
