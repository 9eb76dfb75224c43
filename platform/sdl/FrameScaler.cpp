#include "platform/sdl/FrameScaler.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define PARLORA_SCALER_AVX2 1
#include <immintrin.h>
#endif

namespace parlora {

bool FrameScaler::CpuHasAvx2() {
#if defined(PARLORA_SCALER_AVX2)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

ScaleFilter ScaleFilterFromEnvironment() {
    const char* value = std::getenv("PARLORA_SCALE");
    return value && std::strcmp(value, "whole") == 0 ? ScaleFilter::WholeNumber : ScaleFilter::Smooth;
}

Rect FrameScaler::Fit(int frameW, int frameH, int outW, int outH, ScaleFilter filter, bool shrink) {
    if (frameW <= 0 || frameH <= 0 || outW <= 0 || outH <= 0) return {0, 0, frameW, frameH};
    if (!shrink && (outW < frameW || outH < frameH)) return {0, 0, frameW, frameH};
    int w = 0, h = 0;
    const int whole = std::min(outW / frameW, outH / frameH);
    if (filter == ScaleFilter::WholeNumber && whole >= 1) {
        w = frameW * whole;
        h = frameH * whole;
    } else if (int64_t(outW) * frameH <= int64_t(outH) * frameW) {
        // Width decides: bars above and below.
        w = outW;
        h = int((int64_t(outW) * frameH * 2 + frameW) / (int64_t(frameW) * 2));
    } else {
        h = outH;
        w = int((int64_t(outH) * frameW * 2 + frameH) / (int64_t(frameH) * 2));
    }
    w = std::clamp(w, 1, outW);
    h = std::clamp(h, 1, outH);
    return {(outW - w) / 2, (outH - h) / 2, w, h};
}

void FrameScaler::place(int frameW, int frameH, int outW, int outH, bool shrink) {
    frameW_ = frameW;
    frameH_ = frameH;
    outW_ = outW;
    outH_ = outH;
    target_ = Fit(frameW, frameH, outW, outH, filter_, shrink);
    columns_ = taps(frameW, target_.w);
    rows_ = taps(frameH, target_.h);
}

std::vector<FrameScaler::Tap> FrameScaler::taps(int frameSize, int targetSize) const {
    std::vector<Tap> result(size_t(std::max(0, targetSize)));
    if (frameSize <= 0 || targetSize <= 0) return result;
    // Whole multiples in whole-number mode are sharp: each output pixel is the frame pixel under
    // its centre. Otherwise the centre is taken back to the frame and the two pixels around it are
    // blended, the frame's edge pixels repeating beyond it.
    const bool sharp = filter_ == ScaleFilter::WholeNumber && targetSize % frameSize == 0;
    for (int d = 0; d < targetSize; ++d) {
        Tap& t = result[size_t(d)];
        const double u = (d + 0.5) * frameSize / targetSize;
        int first = 0;
        double fraction = 0.0;
        if (sharp) {
            first = std::min(int(u), frameSize - 1);
        } else {
            first = int(std::floor(u - 0.5));
            fraction = u - 0.5 - first;
            if (first < 0) {
                first = 0;
                fraction = 0.0;
            } else if (first >= frameSize - 1) {
                first = frameSize - 1;
                fraction = 0.0;
            }
        }
        t.first = first;
        t.second = std::min(first + 1, frameSize - 1);
        t.weight = uint16_t(std::lround(fraction * 256.0));
        for (int c = 0; c < 4; ++c) {
            t.weights[c] = uint16_t(256 - t.weight);
            t.weights[4 + c] = t.weight;
        }
    }
    return result;
}

Rect FrameScaler::mapDirty(const Rect& r) const {
    const Rect area = target_.intersect({0, 0, outW_, outH_});
    if (unscaled()) return Rect{r.x + target_.x, r.y + target_.y, r.w, r.h}.intersect(area);
    const Rect c = r.intersect({0, 0, frameW_, frameH_});
    if (c.empty()) return {};
    // Output pixel d samples the frame at (d + 0.5) / s - 0.5 and blends the two frame pixels around
    // that point, so frame pixel x reaches the outputs whose sample lies within one pixel of it. A
    // pixel more on each side covers the rounding of those bounds.
    const double sx = double(target_.w) / frameW_, sy = double(target_.h) / frameH_;
    const int x0 = int(std::floor((c.x - 0.5) * sx - 0.5)) - 1;
    const int x1 = int(std::ceil((c.right() + 0.5) * sx - 0.5)) + 1;
    const int y0 = int(std::floor((c.y - 0.5) * sy - 0.5)) - 1;
    const int y1 = int(std::ceil((c.bottom() + 0.5) * sy - 0.5)) + 1;
    return Rect{target_.x + x0, target_.y + y0, x1 - x0, y1 - y0}.intersect(area);
}

std::vector<Rect> FrameScaler::bars() const {
    const Rect out{0, 0, outW_, outH_};
    const Rect t = target_.intersect(out);
    std::vector<Rect> result;
    if (t.empty()) {
        if (!out.empty()) result.push_back(out);
        return result;
    }
    for (const Rect& r : {Rect{0, 0, outW_, t.y}, Rect{0, t.bottom(), outW_, outH_ - t.bottom()},
                          Rect{0, t.y, t.x, t.h}, Rect{t.right(), t.y, outW_ - t.right(), t.h}})
        if (!r.empty()) result.push_back(r);
    return result;
}

namespace {

// Frame row `src` widened through `columns`: four 16-bit channels an output pixel.
void WidenRow(const uint32_t* src, const FrameScaler::Tap* columns, int n, uint16_t* out) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    for (; i + 2 <= n; i += 2) {
        const FrameScaler::Tap& t0 = columns[i];
        const FrameScaler::Tap& t1 = columns[i + 1];
        // Each pixel's two frame pixels side by side, times their weights; the halves then summed.
        const __m128i p0 = _mm_unpacklo_epi8(
            _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(src[t0.first])), _mm_cvtsi32_si128(int(src[t0.second]))),
            zero);
        const __m128i p1 = _mm_unpacklo_epi8(
            _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(src[t1.first])), _mm_cvtsi32_si128(int(src[t1.second]))),
            zero);
        const __m128i m0 = _mm_mullo_epi16(p0, _mm_load_si128(reinterpret_cast<const __m128i*>(t0.weights)));
        const __m128i m1 = _mm_mullo_epi16(p1, _mm_load_si128(reinterpret_cast<const __m128i*>(t1.weights)));
        const __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(m0, m1), _mm_unpackhi_epi64(m0, m1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i),
                         _mm_srli_epi16(_mm_add_epi16(sum, half), 8));
    }
#endif
    for (; i < n; ++i) {
        const FrameScaler::Tap& t = columns[i];
        for (int c = 0; c < 4; ++c) {
            const unsigned a = (src[t.first] >> (8 * c)) & 0xFF, b = (src[t.second] >> (8 * c)) & 0xFF;
            out[4 * i + c] = uint16_t((a * (256u - t.weight) + b * t.weight + 128u) >> 8);
        }
    }
}

#if defined(PARLORA_SCALER_AVX2)
// Eight pixels at a time where the processor has AVX2: a whole 4K picture in about 1.5 ms rather
// than 1.8. (Lambdas would not take the function's target, hence the small functions.)
__attribute__((target("avx2"))) inline __m256i LoadAvx2(const uint16_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) inline __m256i BlendAvx2(__m256i x, __m256i y, __m256i wa, __m256i wb) {
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(x, wa), _mm256_mullo_epi16(y, wb)),
                                              _mm256_set1_epi16(128)),
                             8);
}

__attribute__((target("avx2"))) int BlendRowsAvx2(const uint16_t* a, const uint16_t* b, unsigned weight, int i,
                                                  int n, uint32_t* dst, bool stream) {
    const __m256i wa = _mm256_set1_epi16(short(256 - weight)), wb = _mm256_set1_epi16(short(weight));
    const __m256i opaque = _mm256_set1_epi32(int(0xFF000000u));
    for (; i + 8 <= n; i += 8) {
        __m256i lo = LoadAvx2(a + 4 * i), hi = LoadAvx2(a + 4 * i + 16);
        if (weight != 0) {
            lo = BlendAvx2(lo, LoadAvx2(b + 4 * i), wa, wb);
            hi = BlendAvx2(hi, LoadAvx2(b + 4 * i + 16), wa, wb);
        }
        const __m256i pixels =
            _mm256_or_si256(_mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8), opaque);
        if (stream)
            _mm256_stream_si256(reinterpret_cast<__m256i*>(dst + i), pixels);
        else
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), pixels);
    }
    return i;
}
#endif

// Two widened rows blended with `weight` (of 256) for the second into n opaque output pixels.
// Whole frames bypass the cache: 25 MB at 4K only evict what the next row needs.
void BlendRows(const uint16_t* a, const uint16_t* b, unsigned weight, int n, uint32_t* dst, bool stream,
               bool avx2) {
    int i = 0;
    auto one = [&](int k) {
        uint32_t p = 0xFF000000u;
        for (int c = 0; c < 3; ++c)
            p |= uint32_t((a[4 * k + c] * (256u - weight) + b[4 * k + c] * weight + 128u) >> 8) << (8 * c);
        dst[k] = p;
    };
#if defined(__SSE2__)
    if (stream)
        for (; i < n && (reinterpret_cast<uintptr_t>(dst + i) & 31) != 0; ++i)
            one(i);
#if defined(PARLORA_SCALER_AVX2)
    if (avx2) i = BlendRowsAvx2(a, b, weight, i, n, dst, stream);
#else
    (void)avx2;
#endif
    const __m128i wa = _mm_set1_epi16(short(256 - weight)), wb = _mm_set1_epi16(short(weight));
    const __m128i half = _mm_set1_epi16(128), opaque = _mm_set1_epi32(int(0xFF000000u));
    auto load = [](const uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    for (; i + 4 <= n; i += 4) {
        __m128i lo = load(a + 4 * i), hi = load(a + 4 * i + 8);
        if (weight != 0) {
            lo = _mm_srli_epi16(
                _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(lo, wa), _mm_mullo_epi16(load(b + 4 * i), wb)),
                              half),
                8);
            hi = _mm_srli_epi16(
                _mm_add_epi16(
                    _mm_add_epi16(_mm_mullo_epi16(hi, wa), _mm_mullo_epi16(load(b + 4 * i + 8), wb)), half),
                8);
        }
        const __m128i pixels = _mm_or_si128(_mm_packus_epi16(lo, hi), opaque);
        if (stream)
            _mm_stream_si128(reinterpret_cast<__m128i*>(dst + i), pixels);
        else
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), pixels);
    }
#else
    (void)stream;
#endif
    for (; i < n; ++i)
        one(i);
}

} // namespace

void FrameScaler::scaleRows(const Surface& frame, const Rect& o, int from, int to, uint32_t* dst, int pitch,
                            bool stream, std::vector<uint16_t> (&widened)[2]) const {
    const int n = o.w;
    const Tap* columns = columns_.data() + (o.x - target_.x);
    for (auto& w : widened)
        if (w.size() < size_t(n) * 4 + 8) w.resize(size_t(n) * 4 + 8);
    uint16_t* rowA = widened[0].data();
    uint16_t* rowB = widened[1].data();
    int haveA = -1, haveB = -1; // the frame rows they hold
    for (int y = from; y < to; ++y) {
        const Tap& t = rows_[size_t(y - target_.y)];
        if (t.first != haveA) {
            if (t.first == haveB) {
                std::swap(rowA, rowB);
                std::swap(haveA, haveB);
            } else {
                WidenRow(frame.row(t.first), columns, n, rowA);
                haveA = t.first;
            }
        }
        if (t.weight != 0 && t.second != haveB) {
            WidenRow(frame.row(t.second), columns, n, rowB);
            haveB = t.second;
        }
        BlendRows(
            rowA, rowB, t.weight, n,
            reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + size_t(y - o.y) * size_t(pitch)),
            stream, avx2_);
    }
#if defined(__SSE2__)
    if (stream) _mm_sfence();
#endif
}

void FrameScaler::scale(const Surface& frame, const Rect& out, uint32_t* dst, int pitch) const {
    const Rect o = out.intersect(target_).intersect({0, 0, outW_, outH_});
    if (o.empty() || frame.width() != frameW_ || frame.height() != frameH_) return;
    dst += (o.y - out.y) * (pitch / 4) + (o.x - out.x);
    const bool stream = int64_t(o.w) * o.h >= (int64_t(1) << 20);
    // A whole large picture (a screen change on a 4K output) is more than one core can write in a
    // couple of milliseconds: the lower half goes to a second thread. Small changes stay on one.
    if (stream && o.h >= 64 && std::thread::hardware_concurrency() >= 2) {
        const int middle = o.y + o.h / 2;
        std::thread lower(
            [&] { scaleRows(frame, o, middle, o.bottom(), dst, pitch, stream, lowerWidened_); });
        scaleRows(frame, o, o.y, middle, dst, pitch, stream, widened_);
        lower.join();
        return;
    }
    scaleRows(frame, o, o.y, o.bottom(), dst, pitch, stream, widened_);
}

} // namespace parlora
