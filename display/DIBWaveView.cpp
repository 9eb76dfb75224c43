#include "display/DIBWaveView.h"

#include <algorithm>
#include <cstdlib>

namespace parlora {

TDIBWaveView::TDIBWaveView(TDIBContainer* owner) : TCustomDIBControl(owner) {}

std::vector<uint16_t> TDIBWaveView::EnvelopeOf(const TWaveVoice& v) {
    std::vector<uint16_t> out;
    if (!v.data || v.bitsPerSample != 16 || v.channels < 1 || v.samplesPerSec <= 0) return out;
    const size_t frameBytes = size_t(v.channels) * 2;
    const uint64_t frames = v.length / frameBytes;
    // Each value's frames are counted from its start time, so 44.1 frames per ms never drifts.
    const uint64_t perValueMilli = uint64_t(v.samplesPerSec) * kEnvelopeMs; // frames x 1000
    const uint64_t count = (frames * 1000 + perValueMilli - 1) / perValueMilli;
    out.reserve(size_t(count));
    for (uint64_t k = 0; k < count; ++k) {
        uint64_t start = k * perValueMilli / 1000, end = std::min(frames, (k + 1) * perValueMilli / 1000);
        int peak = 0;
        for (uint64_t f = start; f < end; ++f)
            for (int c = 0; c < v.channels; ++c) {
                const uint8_t* p = v.data + f * frameBytes + size_t(c) * 2;
                int s = int16_t(uint16_t(p[0] | (p[1] << 8)));
                peak = std::max(peak, std::abs(s));
            }
        out.push_back(uint16_t(std::min(peak, 32767)));
    }
    return out;
}

void TDIBWaveView::SetVoices(const TWaveVoice& speaker, const TWaveVoice& learner) {
    envelope_[wlSpeaker] = EnvelopeOf(speaker);
    envelope_[wlLearner] = EnvelopeOf(learner);
    Invalidate();
}

void TDIBWaveView::SetVoice(TLane lane, const TWaveVoice& voice) {
    envelope_[lane] = EnvelopeOf(voice);
    Invalidate();
}

void TDIBWaveView::Clear() {
    envelope_[0].clear();
    envelope_[1].clear();
    Invalidate();
}

int TDIBWaveView::SpanMs() const {
    size_t longest = std::max(envelope_[0].size(), envelope_[1].size());
    return std::max(1000, int(longest) * kEnvelopeMs);
}

void TDIBWaveView::DrawLane(Surface& target, const Rect& clip, const Rect& lane, TLane which,
                            int spanMs) const {
    const std::vector<uint16_t>& env = envelope_[which];
    const uint32_t ink = which == wlSpeaker ? SpeakerColor : LearnerColor;
    const int mid = lane.y + lane.h / 2;
    const int half = std::max(1, lane.h / 2 - 2);
    target.fillRect(Rect{lane.x, mid, lane.w, 1}.intersect(clip), AxisColor);
    for (int col = 0; col < lane.w; ++col) {
        // The envelope values this column covers; both lanes share the scale.
        int64_t from = int64_t(col) * spanMs / lane.w / kEnvelopeMs;
        int64_t to = std::max(from + 1, int64_t(col + 1) * spanMs / lane.w / kEnvelopeMs);
        if (from >= int64_t(env.size())) break;
        int peak = 0;
        for (int64_t i = from; i < std::min<int64_t>(to, int64_t(env.size())); ++i)
            peak = std::max<int>(peak, env[size_t(i)]);
        int a = peak * half / 32767;
        target.fillRect(Rect{lane.x + col, mid - a, 1, 2 * a + 1}.intersect(clip), ink);
    }
}

void TDIBWaveView::Draw(Surface& target, const Rect& clipIn, int ox, int oy) {
    const int w = Width(), h = Height();
    Rect box{ox, oy, w, h};
    Rect clip = clipIn.intersect(box).intersect(target.bounds());
    if (clip.empty()) return;
    target.fillRect(clip, AxisColor);
    Rect inner{ox + 2, oy + 2, w - 4, h - 4};
    target.fillRect(inner.intersect(clip), PanelColor);
    if (inner.empty()) return;
    const int spanMs = SpanMs();
    // A faint mark every half second, so "too fast" reads against the same ruler in both lanes.
    for (int t = 500; t < spanMs; t += 500) {
        int x = inner.x + int(int64_t(t) * inner.w / spanMs);
        uint32_t c = t % 1000 == 0 ? AxisColor : 0xFFE2DDD0u;
        target.fillRect(Rect{x, inner.y, 1, inner.h}.intersect(clip), c);
    }
    int laneH = inner.h / 2;
    Rect top{inner.x, inner.y, inner.w, laneH};
    Rect bottom{inner.x, inner.y + laneH, inner.w, inner.h - laneH};
    target.fillRect(Rect{inner.x, inner.y + laneH, inner.w, 1}.intersect(clip), AxisColor);
    DrawLane(target, clip, top, wlSpeaker, spanMs);
    DrawLane(target, clip, bottom, wlLearner, spanMs);
}

} // namespace parlora
