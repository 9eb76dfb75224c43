#include "export/TrackAudio.h"

#include "core/Errors.h"

#include <algorithm>
#include <cmath>

namespace parlora::TrackAudio {
namespace {

void CheckReadable(const WaveData& w, const char* which) {
    const TWaveFormat& f = w.Format;
    unsigned bytes = (f.BitsPerSample + 7u) / 8u;
    bool sizeOk =
        f.BitsPerSample == 8 || f.BitsPerSample == 16 || f.BitsPerSample == 24 || f.BitsPerSample == 32;
    bool ok = (f.FormatTag == 1 || f.FormatTag == 0xFFFE) && sizeOk && (f.Channels == 1 || f.Channels == 2) &&
              f.SamplesPerSec >= 1000 && f.SamplesPerSec <= 192000 && f.BlockAlign >= f.Channels * bytes &&
              w.DataLength >= f.BlockAlign;
    if (!ok) throw RWException(std::string("The ") + which + " sound has a format the export cannot use");
}

} // namespace

std::vector<int16_t> Convert(const WaveData& wave, int rate, int channels) {
    const TWaveFormat& f = wave.Format;
    // ToPcm16 maps 8-bit unsigned (silence 128) and 16-bit alike onto signed samples centred on 0.
    std::shared_ptr<const std::vector<int16_t>> pcm =
        WaveFile::ToPcm16(f, wave.Data(), wave.DataLength - wave.DataLength % f.BlockAlign);
    const std::vector<int16_t>& in = *pcm;
    size_t inFrames = in.size() / f.Channels;
    // Channels first: mono is spread to both sides, stereo is averaged to mono.
    std::vector<int16_t> mixed;
    if (f.Channels == channels) {
        mixed = in;
    } else if (f.Channels == 1) {
        mixed.reserve(inFrames * 2);
        for (int16_t s : in) {
            mixed.push_back(s);
            mixed.push_back(s);
        }
    } else {
        mixed.reserve(inFrames);
        for (size_t i = 0; i < inFrames; ++i)
            mixed.push_back(int16_t((int(in[2 * i]) + int(in[2 * i + 1])) / 2));
    }
    if (int(f.SamplesPerSec) == rate) return mixed;
    size_t outFrames = size_t(std::llround(double(inFrames) * rate / f.SamplesPerSec));
    std::vector<int16_t> out(outFrames * size_t(channels));
    double step = double(f.SamplesPerSec) / rate;
    for (size_t o = 0; o < outFrames; ++o) {
        double pos = o * step;
        size_t i = std::min(size_t(pos), inFrames - 1);
        size_t j = std::min(i + 1, inFrames - 1);
        double t = pos - double(i);
        for (int c = 0; c < channels; ++c) {
            double v = mixed[i * size_t(channels) + size_t(c)] * (1.0 - t) +
                       mixed[j * size_t(channels) + size_t(c)] * t;
            out[o * size_t(channels) + size_t(c)] = int16_t(std::lround(std::clamp(v, -32768.0, 32767.0)));
        }
    }
    return out;
}

TrackPcm Build(const WaveData& male, const WaveData& female, Fit* fit) {
    CheckReadable(male, "male");
    CheckReadable(female, "female");
    TrackPcm t;
    t.sampleRate = int(male.Format.SamplesPerSec);
    t.channels = male.Format.Channels;
    const TWaveFormat& m = male.Format;
    const TWaveFormat& f = female.Format;
    bool same =
        m.SamplesPerSec == f.SamplesPerSec && m.Channels == f.Channels && m.BitsPerSample == f.BitsPerSample;
    if (fit) *fit = same ? Fit::Same : Fit::Converted;
    std::vector<int16_t> mv = Convert(male, t.sampleRate, t.channels);
    std::vector<int16_t> fv = Convert(female, t.sampleRate, t.channels);
    // Silence is zero once the samples are signed, whatever the files' sample size was.
    size_t gap = size_t(t.sampleRate / 2) * size_t(t.channels);
    t.samples.reserve(3 * gap + mv.size() + fv.size());
    t.samples.insert(t.samples.end(), gap, 0);
    t.samples.insert(t.samples.end(), mv.begin(), mv.end());
    t.samples.insert(t.samples.end(), gap, 0);
    t.samples.insert(t.samples.end(), fv.begin(), fv.end());
    t.samples.insert(t.samples.end(), gap, 0);
    return t;
}

} // namespace parlora::TrackAudio
