#include "display/Transition.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <numbers>
#include <vector>

namespace parlora {

namespace {

constexpr int kWipeMs = 500;
constexpr int kBlendMs = 500;
constexpr int kRadialMs = 2000;

// Angles of the radial sweep are in 1/65536 of a turn; its soft edge spans 15 degrees.
constexpr int kTurn = 65536;
constexpr int kRadialBand = kTurn / 24;

// Mixes two pixels with weight `a` (0..256) of `t`, two channels per multiply; exact at 0 and 256.
inline uint32_t Mix(uint32_t f, uint32_t t, uint32_t a) {
    const uint32_t ia = 256 - a;
    const uint32_t rb = (((f & 0x00FF00FFu) * ia + (t & 0x00FF00FFu) * a) >> 8) & 0x00FF00FFu;
    const uint32_t ag = (((f >> 8) & 0x00FF00FFu) * ia + ((t >> 8) & 0x00FF00FFu) * a) & 0xFF00FF00u;
    return rb | ag;
}

void MixRun(const uint32_t* f, const uint32_t* t, uint32_t a, uint32_t* o, size_t n) {
    for (size_t i = 0; i < n; ++i)
        o[i] = Mix(f[i], t[i], a);
}

// memmove rather than memcpy: `out` may be the very surface being read.
void CopyRun(const uint32_t* src, uint32_t* dst, size_t n) {
    if (src != dst) std::memmove(dst, src, n * sizeof(uint32_t));
}

void RenderBlend(const Surface& from, const Surface& to, double p, Surface& out) {
    const uint32_t a = uint32_t(std::lround(p * 256.0));
    const size_t n = size_t(to.width()) * size_t(to.height());
    if (a == 0)
        CopyRun(from.data(), out.data(), n);
    else if (a >= 256)
        CopyRun(to.data(), out.data(), n);
    else
        MixRun(from.data(), to.data(), a, out.data(), n);
}

// A stretch of columns that is all `from` (weight 0), all `to` (256) or mixed column by column.
struct ColumnRun {
    int x0, x1;
    int kind; // 0 from, 1 to, 2 mixed
};

void RenderWipe(int kind, const Surface& from, const Surface& to, double p, Surface& out) {
    const int w = to.width(), h = to.height();
    // Positions are in half pixels so that the centre of an even width falls between two columns.
    const int64_t band2 = 2 * TTransition::kBandWidth;
    const int64_t extent2 =
        (kind == TTransition::WipeRight || kind == TTransition::WipeLeft) ? 2 * int64_t(w) : int64_t(w);
    const int64_t edge2 = std::llround(p * double(extent2 + band2));

    std::vector<uint16_t> weight(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x) {
        int64_t pos2 = 0;
        const int64_t fromCentre2 = std::abs(2 * int64_t(x) + 1 - w);
        switch (kind) {
        case TTransition::WipeRight:
            pos2 = 2 * int64_t(x);
            break;
        case TTransition::WipeLeft:
            pos2 = 2 * int64_t(w - 1 - x);
            break;
        case TTransition::WipeOutwards:
            pos2 = fromCentre2;
            break;
        default:
            pos2 = w - 1 - fromCentre2;
            break;
        }
        const int64_t d = edge2 - pos2;
        weight[size_t(x)] = d <= 0 ? 0 : d >= band2 ? 256 : uint16_t(d * 256 / band2);
    }

    std::vector<ColumnRun> runs;
    for (int x = 0; x < w; ++x) {
        const int k = weight[size_t(x)] == 0 ? 0 : weight[size_t(x)] == 256 ? 1 : 2;
        if (!runs.empty() && runs.back().kind == k)
            runs.back().x1 = x + 1;
        else
            runs.push_back({x, x + 1, k});
    }

    for (int y = 0; y < h; ++y) {
        const uint32_t* f = from.row(y);
        const uint32_t* t = to.row(y);
        uint32_t* o = out.row(y);
        for (const ColumnRun& r : runs) {
            const size_t n = size_t(r.x1 - r.x0);
            if (r.kind == 0)
                CopyRun(f + r.x0, o + r.x0, n);
            else if (r.kind == 1)
                CopyRun(t + r.x0, o + r.x0, n);
            else
                for (int x = r.x0; x < r.x1; ++x)
                    o[x] = Mix(f[x], t[x], weight[size_t(x)]);
        }
    }
}

// The angle of every pixel clockwise from twelve o'clock; built once per size, as it is the only
// floating-point work of the sweep.
struct AngleMap {
    int w = 0, h = 0;
    std::vector<uint16_t> angle;
};

std::shared_ptr<const AngleMap> AngleMapFor(int w, int h) {
    static std::mutex mutex;
    static std::shared_ptr<const AngleMap> cached;
    std::lock_guard lock(mutex);
    if (cached && cached->w == w && cached->h == h) return cached;
    auto map = std::make_shared<AngleMap>();
    map->w = w;
    map->h = h;
    map->angle.resize(size_t(w) * size_t(h));
    const double cx = w / 2.0, cy = h / 2.0;
    const double scale = kTurn / (2.0 * std::numbers::pi);
    for (int y = 0; y < h; ++y) {
        const double dy = y + 0.5 - cy;
        for (int x = 0; x < w; ++x) {
            double a = std::atan2(x + 0.5 - cx, -dy);
            if (a < 0) a += 2.0 * std::numbers::pi;
            map->angle[size_t(y) * size_t(w) + size_t(x)] = uint16_t(std::min(kTurn - 1.0, a * scale));
        }
    }
    cached = map;
    return cached;
}

const std::array<uint16_t, kRadialBand>& RadialRamp() {
    static const auto ramp = [] {
        std::array<uint16_t, kRadialBand> r{};
        for (int i = 0; i < kRadialBand; ++i)
            r[size_t(i)] = uint16_t(i * 256 / kRadialBand);
        return r;
    }();
    return ramp;
}

void RenderRadial(const Surface& from, const Surface& to, double p, Surface& out) {
    const int w = to.width(), h = to.height();
    const auto map = AngleMapFor(w, h);
    const auto& ramp = RadialRamp();
    const int edge = int(std::lround(p * double(kTurn + kRadialBand)));
    const size_t n = size_t(w) * size_t(h);
    const uint32_t* f = from.data();
    const uint32_t* t = to.data();
    const uint16_t* ang = map->angle.data();
    uint32_t* o = out.data();
    for (size_t i = 0; i < n; ++i) {
        const int d = edge - int(ang[i]);
        if (d <= 0)
            o[i] = f[i];
        else if (d >= kRadialBand)
            o[i] = t[i];
        else
            o[i] = Mix(f[i], t[i], ramp[size_t(d)]);
    }
}

} // namespace

int TTransition::DurationMs(int kind) {
    switch (kind) {
    case WipeRight:
    case WipeLeft:
    case WipeOutwards:
    case WipeInwards:
        return kWipeMs;
    case Blend:
        return kBlendMs;
    case Radial:
        return kRadialMs;
    default:
        return 0;
    }
}

void TTransition::RenderFrame(int kind, const Surface& from, const Surface& to, double progress,
                              Surface& out) {
    // NaN counts as the start; the caller's clock arithmetic should never produce it.
    double p = std::isnan(progress) ? 0.0 : std::clamp(progress, 0.0, 1.0);

    // A screen of another size is read as if padded with black; taken before `out` is resized
    // because `out` may be `from`.
    Surface padded;
    const Surface* src = &from;
    if (from.width() != to.width() || from.height() != to.height()) {
        padded.resize(to.width(), to.height(), 0xFF000000u);
        padded.copyFrom(from, 0, 0);
        src = &padded;
    }
    if (out.width() != to.width() || out.height() != to.height()) out.resize(to.width(), to.height());
    if (to.empty()) return;

    switch (kind) {
    case WipeRight:
    case WipeLeft:
    case WipeOutwards:
    case WipeInwards:
        RenderWipe(kind, *src, to, p, out);
        break;
    case Blend:
        RenderBlend(*src, to, p, out);
        break;
    case Radial:
        RenderRadial(*src, to, p, out);
        break;
    default: {
        // No effect: the new screen stands as soon as the change has begun.
        const Surface& pick = p > 0.0 ? to : *src;
        CopyRun(pick.data(), out.data(), size_t(to.width()) * size_t(to.height()));
        break;
    }
    }
}

void TTransition::Run(int kind, bool fast, const Surface& from, const Surface& to, IClock& clock,
                      const std::function<void(const Surface&)>& present,
                      const std::function<void(uint64_t)>& sleepOrAdvance) {
    const int duration = fast ? 0 : DurationMs(kind);
    if (duration <= 0) {
        present(to);
        return;
    }
    const uint64_t start = clock.nowMs();
    const uint64_t end = start + uint64_t(duration);
    Surface frame;
    // A clock that never moves would otherwise hold the program here for good; with a frame at most
    // every millisecond this bound is never reached by a working clock.
    for (int n = 0; n <= duration; ++n) {
        const uint64_t now = clock.nowMs();
        if (now >= end) break;
        RenderFrame(kind, from, to, double(now - start) / duration, frame);
        present(frame);
        const uint64_t after = std::max(clock.nowMs(), now);
        if (after >= end) break;
        const uint64_t spent = after - now;
        // Keep to about one frame per kFrameMs, and never wait past the end.
        const uint64_t wait =
            std::min<uint64_t>(spent >= uint64_t(kFrameMs) ? 0 : kFrameMs - spent, end - after);
        if (wait > 0) sleepOrAdvance(wait);
    }
    present(to);
}

} // namespace parlora
