#include "platform/sdl/VoiceMixer.h"

#include <algorithm>

namespace parlora {

namespace {
constexpr int FracBits = 32;
constexpr uint64_t FracOne = uint64_t(1) << FracBits;
constexpr uint64_t FracMask = FracOne - 1;
} // namespace

VoiceMixer::VoiceMixer(int outputRate) : outputRate_(outputRate > 0 ? outputRate : 44100) {}

uint64_t VoiceMixer::OutputFramesFor(uint64_t frames, int rate, int outputRate) {
    if (rate <= 0 || outputRate <= 0) return 0;
    return (frames * uint64_t(outputRate) + uint64_t(rate) - 1) / uint64_t(rate);
}

bool VoiceMixer::add(VoiceId id, const VoiceRequest& request) {
    if (!request.samples || request.channels < 1 || request.channels > 8 || request.sampleRate <= 0)
        return false;
    if (find(id)) return false;
    for (auto& v : voices_) {
        if (v.used) continue;
        v.id = id;
        v.used = true;
        v.finished = false;
        v.samples = request.samples;
        v.channels = request.channels;
        // A trailing partial frame (a corrupt count) is not played.
        v.frames = request.samples->size() / size_t(request.channels);
        v.pos = 0;
        v.step = (uint64_t(request.sampleRate) << FracBits) / uint64_t(outputRate_);
        if (v.step == 0) v.step = 1;
        return true;
    }
    return false;
}

VoiceMixer::Voice* VoiceMixer::find(VoiceId id) {
    for (auto& v : voices_)
        if (v.used && v.id == id) return &v;
    return nullptr;
}

const VoiceMixer::Voice* VoiceMixer::find(VoiceId id) const {
    for (const auto& v : voices_)
        if (v.used && v.id == id) return &v;
    return nullptr;
}

bool VoiceMixer::remove(VoiceId id) {
    Voice* v = find(id);
    if (!v) return false;
    *v = Voice{};
    return true;
}

bool VoiceMixer::contains(VoiceId id) const {
    return find(id) != nullptr;
}

bool VoiceMixer::finished(VoiceId id) const {
    const Voice* v = find(id);
    return v && v->finished;
}

uint64_t VoiceMixer::framesConsumed(VoiceId id) const {
    const Voice* v = find(id);
    if (!v) return 0;
    return std::min<uint64_t>(v->pos >> FracBits, v->frames);
}

int VoiceMixer::activeVoices() const {
    int n = 0;
    for (const auto& v : voices_)
        n += (v.used && !v.finished) ? 1 : 0;
    return n;
}

void VoiceMixer::frameAt(const Voice& v, uint64_t f, int32_t& l, int32_t& r) {
    const int16_t* s = v.samples->data() + f * uint64_t(v.channels);
    switch (v.channels) {
    case 1:
        l = r = s[0];
        return;
    case 2:
        l = s[0];
        r = s[1];
        return;
    default: {
        // More than two channels: the even ones are averaged to the left, the odd ones to the right.
        int32_t sumL = 0, sumR = 0, nL = 0, nR = 0;
        for (int c = 0; c < v.channels; ++c) {
            if (c % 2 == 0) {
                sumL += s[c];
                ++nL;
            } else {
                sumR += s[c];
                ++nR;
            }
        }
        l = sumL / nL;
        r = sumR / nR;
        return;
    }
    }
}

int VoiceMixer::mix(int16_t* out, int frames) {
    int ended = 0;
    const int64_t gain = gain_;
    while (frames > 0) {
        const int n = std::min(frames, ChunkFrames);
        std::fill(accum_.begin(), accum_.begin() + n * 2, 0);
        for (auto& v : voices_) {
            if (!v.used || v.finished) continue;
            const uint64_t end = v.frames << FracBits;
            int i = 0;
            for (; i < n && v.pos < end; ++i) {
                const uint64_t f = v.pos >> FracBits;
                const int64_t frac = int64_t(v.pos & FracMask);
                int32_t l0, r0;
                frameAt(v, f, l0, r0);
                int32_t l = l0, r = r0;
                if (frac != 0 && f + 1 < v.frames) {
                    int32_t l1, r1;
                    frameAt(v, f + 1, l1, r1);
                    l = l0 + int32_t((int64_t(l1 - l0) * frac) >> FracBits);
                    r = r0 + int32_t((int64_t(r1 - r0) * frac) >> FracBits);
                }
                accum_[size_t(i) * 2] += l;
                accum_[size_t(i) * 2 + 1] += r;
                v.pos += v.step;
            }
            if (v.pos >= end) {
                v.pos = end;
                v.finished = true;
                ++ended;
            }
        }
        for (int i = 0; i < n * 2; ++i) {
            int64_t s = (int64_t(accum_[size_t(i)]) * gain) / 65535;
            out[i] = int16_t(std::clamp<int64_t>(s, -32768, 32767));
        }
        out += n * 2;
        frames -= n;
    }
    return ended;
}

size_t VoiceMixer::takeFinished(VoiceId* ids, size_t max) {
    size_t count = 0;
    for (auto& v : voices_) {
        if (count >= max) break;
        if (!v.used || !v.finished) continue;
        ids[count++] = v.id;
        v = Voice{};
    }
    return count;
}

} // namespace parlora
