// Click to sound: from TKaRamWav::Play to the first samples of that voice being handed to the
// device, through the real SDL output (PulseAudio when PULSE_SERVER is set, else SDL's dummy
// driver, which pulls buffers in real time). The wait is the device's next pull, so the median
// should stay near half a buffer: 512 frames at 44.1 kHz is 11.6 ms.
#include "media/KaRamWav.h"
#include "platform/Dispatcher.h"
#include "platform/sdl/SdlPlatform.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace parlora;
using Steady = std::chrono::steady_clock;

struct Rig {
    std::unique_ptr<SdlPlatform> platform;
    std::unique_ptr<Dispatcher> dispatcher;
    std::string driver;
};

std::unique_ptr<Rig> OpenRig(const char* driver) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    auto rig = std::make_unique<Rig>();
    rig->platform = std::make_unique<SdlPlatform>();
    if (!rig->platform->audioOut().deviceOpen()) return nullptr;
    rig->dispatcher = std::make_unique<Dispatcher>(rig->platform->clock(), rig->platform.get());
    rig->platform->attach(*rig->dispatcher);
    rig->driver = driver;
    return rig;
}

// Waits for the voice to be mixed, polling from this thread; returns the frames it then had,
// or 0 on time-out.
uint64_t AwaitFrames(const IAudioOut& out, VoiceId id, uint64_t above, Steady::duration limit) {
    const auto start = Steady::now();
    for (;;) {
        const uint64_t f = out.framesPlayed(id);
        if (f > above) return f;
        if (Steady::now() - start > limit) return 0;
        // Short enough to be precise, long enough not to keep the device lock from the callback.
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(std::lround(p * double(v.size() - 1))));
    return v[i];
}

void BM_ClickToSound(benchmark::State& state) {
    const char* server = std::getenv("PULSE_SERVER");
    std::unique_ptr<Rig> rig;
    if (server && *server) rig = OpenRig("pulseaudio");
    if (!rig) rig = OpenRig("dummy");
    if (!rig) {
        state.SkipWithError("no sound output device");
        return;
    }
    IAudioOut& out = rig->platform->audioOut();

    // A fresh PulseAudio null sink takes the first buffer at once and then sleeps up to 2 s on
    // its idle latency; measure only once the device pulls steadily.
    VoiceRequest silence;
    silence.samples = std::make_shared<const std::vector<int16_t>>(44100, int16_t(0));
    const VoiceId warm = out.play(silence, nullptr);
    if (AwaitFrames(out, warm, 8191, std::chrono::seconds(5)) == 0) {
        state.SkipWithError("the sound device never asked for samples");
        return;
    }
    out.stop(warm);

    // One second of 44.1 kHz mono: one source frame per output frame, so framesPlayed counts
    // output frames and its step is the device's buffer size.
    constexpr int Rate = 44100;
    TWaveFormat format;
    format.FormatTag = 1;
    format.Channels = 1;
    format.SamplesPerSec = Rate;
    format.BitsPerSample = 16;
    format.BlockAlign = 2;
    format.AvgBytesPerSec = Rate * 2;
    std::vector<uint8_t> tone(size_t(Rate) * 2);
    for (size_t i = 0; i < size_t(Rate); ++i) {
        const auto s = uint16_t(int16_t(8000 * std::sin(2 * std::numbers::pi * 440.0 * double(i) / Rate)));
        tone[2 * i] = uint8_t(s & 0xFF);
        tone[2 * i + 1] = uint8_t(s >> 8);
    }
    TKaRamWav player(out, *rig->dispatcher);
    player.LoadData(format, std::move(tone), "click.wav");
    player.Play(); // converts the samples once, as the first play of every sound does
    player.Stop();

    std::vector<double> latencies;
    uint64_t bufferFrames = 0;
    int n = 0;
    for (auto _ : state) {
        const auto t0 = Steady::now();
        player.Play();
        int64_t pos;
        const auto start = Steady::now();
        while ((pos = player.PlayPosition()) <= 0 && Steady::now() - start < std::chrono::seconds(2))
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        const auto t1 = Steady::now();
        if (pos <= 0) {
            state.SkipWithError("the voice was never mixed");
            break;
        }
        const double seconds = std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(seconds);
        latencies.push_back(seconds * 1000.0);

        // The next step of the position is one whole device buffer.
        const int64_t first = player.PlayPosition();
        const auto stepStart = Steady::now();
        int64_t next;
        while ((next = player.PlayPosition()) == first &&
               Steady::now() - stepStart < std::chrono::milliseconds(200))
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        if (next > first) bufferFrames = std::max<uint64_t>(bufferFrames, uint64_t(next - first) / 2);

        player.Stop();
        rig->dispatcher->runUntilIdle();
        // Start the next play at another phase of the device's cycle.
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + (n++ * 3700) % 11000));
    }

    state.counters["median_ms"] = Percentile(latencies, 0.5);
    state.counters["p90_ms"] = Percentile(latencies, 0.9);
    state.counters["max_ms"] = Percentile(latencies, 1.0);
    state.counters["buffer_frames"] = double(bufferFrames);
    state.SetLabel(rig->driver + (bufferFrames > 512 ? ", buffer larger than asked (512)" : ""));
}

BENCHMARK(BM_ClickToSound)->Iterations(100)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
