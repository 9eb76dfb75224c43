#pragma once
// One exported track: the phrase said by the male voice, then by the female voice, with half a
// second of silence before, between and after. The track takes the male sound's rate and channels;
// a female sound of another rate, channel count or sample size is converted to match.
#include "media/WaveFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace parlora {

struct TrackPcm {
    int sampleRate = 0;
    int channels = 0;
    std::vector<int16_t> samples; // signed 16-bit, interleaved

    size_t Frames() const { return channels ? samples.size() / size_t(channels) : 0; }
    double Seconds() const { return sampleRate ? double(Frames()) / sampleRate : 0.0; }
};

namespace TrackAudio {

// What was done to make the female sound fit the male one.
enum class Fit { Same, Converted };

// Fails with RWException when either sound has no samples or a format that cannot be read (not
// 8- to 32-bit PCM, or other than one or two channels); the phrase is then left out.
TrackPcm Build(const WaveData& male, const WaveData& female, Fit* fit = nullptr);

// Signed 16-bit samples of `wave` brought to `rate` and `channels` (linear interpolation: speech
// needs nothing finer).
std::vector<int16_t> Convert(const WaveData& wave, int rate, int channels);

} // namespace TrackAudio
} // namespace parlora
