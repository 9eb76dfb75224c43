// The frame on windows of other sizes: where it goes, how it is scaled, which output pixels a change
// reaches, and where a click on the scaled picture lands in the frame.
#include "platform/sdl/FrameScaler.h"
#include "platform/sdl/SdlInput.h"
#include "tests/platform_sdl/SdlEvents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

using namespace parlora;

namespace {

Surface Noise(int w, int h, uint32_t seed) {
    std::mt19937 rng(seed);
    Surface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.setPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFFu));
    return s;
}

Surface ScaleWhole(const FrameScaler& scaler, const Surface& frame) {
    Surface out(scaler.outputWidth(), scaler.outputHeight(), 0xFF000000u);
    const Rect t = scaler.target().intersect(out.bounds());
    scaler.scale(frame, t, out.row(t.y) + t.x, out.strideBytes());
    return out;
}

int Channel(uint32_t c, int shift) {
    return int((c >> shift) & 0xFF);
}

int LargestDifference(const Surface& a, const Surface& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            for (int shift : {0, 8, 16})
                worst =
                    std::max(worst, std::abs(Channel(a.pixel(x, y), shift) - Channel(b.pixel(x, y), shift)));
    return worst;
}

// Bilinear sampling written out in doubles: the output pixel's centre taken back to the frame,
// the frame's edges repeated.
double Reference(const Surface& f, double u, double v, int shift) {
    u -= 0.5;
    v -= 0.5;
    const int x0 = int(std::floor(u)), y0 = int(std::floor(v));
    const double fx = u - x0, fy = v - y0;
    auto at = [&](int x, int y) {
        return double(
            Channel(f.pixel(std::clamp(x, 0, f.width() - 1), std::clamp(y, 0, f.height() - 1)), shift));
    };
    return (at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx) * (1 - fy) +
           (at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx) * fy;
}

} // namespace

TEST(FrameScaler, FitsTheFrameCentredKeepingItsShape) {
    using F = ScaleFilter;
    EXPECT_EQ(FrameScaler::Fit(1024, 768, 1920, 1080, F::Smooth), (Rect{240, 0, 1440, 1080}));
    EXPECT_EQ(FrameScaler::Fit(1024, 768, 3840, 2160, F::Smooth), (Rect{480, 0, 2880, 2160}));
    EXPECT_EQ(FrameScaler::Fit(1024, 768, 2560, 1600, F::Smooth), (Rect{213, 0, 2133, 1600}));
    EXPECT_EQ(FrameScaler::Fit(1024, 768, 2560, 2400, F::Smooth), (Rect{0, 240, 2560, 1920}));
    EXPECT_EQ(FrameScaler::Fit(1024, 768, 1024, 768, F::Smooth), (Rect{0, 0, 1024, 768}));
    EXPECT_EQ(FrameScaler::Fit(1024, 768, 1024, 1000, F::Smooth), (Rect{0, 116, 1024, 768}));
    // A window made smaller than the frame shrinks it; the fixed windows show it 1:1 from the top-left.
    EXPECT_EQ(FrameScaler::Fit(1024, 768, 800, 700, F::Smooth), (Rect{0, 50, 800, 600}));
    EXPECT_EQ(FrameScaler::Fit(1024, 768, 800, 700, F::Smooth, false), (Rect{0, 0, 1024, 768}));
    EXPECT_EQ(FrameScaler::Fit(1024, 768, 2048, 1536, F::Smooth, false), (Rect{0, 0, 2048, 1536}));
    // Whole numbers: the largest factor that fits, else the smooth fit.
    EXPECT_EQ(FrameScaler::Fit(1024, 768, 3840, 2160, F::WholeNumber), (Rect{896, 312, 2048, 1536}));
    EXPECT_EQ(FrameScaler::Fit(1024, 768, 1920, 1080, F::WholeNumber), (Rect{448, 156, 1024, 768}));
    EXPECT_EQ(FrameScaler::Fit(1024, 768, 800, 600, F::WholeNumber), (Rect{0, 0, 800, 600}));
    // Degenerate outputs give no scale at all and never a zero-sized target.
    EXPECT_EQ(FrameScaler::Fit(1024, 768, 0, 0, F::Smooth), (Rect{0, 0, 1024, 768}));
    EXPECT_FALSE(FrameScaler::Fit(1024, 768, 3000, 1, F::Smooth).empty());
}

TEST(FrameScaler, BarsAndPictureCoverTheOutputOnce) {
    for (auto [ow, oh, filter] : {std::tuple{1920, 1080, ScaleFilter::Smooth},
                                  {1024, 1400, ScaleFilter::Smooth},
                                  {3840, 2160, ScaleFilter::WholeNumber},
                                  {1024, 768, ScaleFilter::Smooth}}) {
        FrameScaler s;
        s.setFilter(filter);
        s.place(1024, 768, ow, oh);
        std::vector<int> covered(size_t(ow) * size_t(oh), 0);
        auto mark = [&covered, stride = size_t(ow)](const Rect& r) {
            for (int y = r.y; y < r.bottom(); ++y)
                for (int x = r.x; x < r.right(); ++x)
                    ++covered[size_t(y) * stride + size_t(x)];
        };
        mark(s.target());
        for (const Rect& b : s.bars())
            mark(b);
        EXPECT_TRUE(std::all_of(covered.begin(), covered.end(), [](int n) { return n == 1; }))
            << ow << " x " << oh;
    }
}

TEST(FrameScaler, SmoothScaleSamplesAtPixelCentres) {
    // A frame with sharp detail, compared with bilinear sampling done by hand.
    Surface frame = Noise(64, 48, 7);
    for (auto [ow, oh] : {std::pair{180, 135}, {150, 100}, {40, 30}}) {
        FrameScaler s;
        s.place(64, 48, ow, oh);
        Surface out = ScaleWhole(s, frame);
        const Rect t = s.target();
        int worst = 0;
        for (int y = t.y; y < t.bottom(); ++y)
            for (int x = t.x; x < t.right(); ++x)
                for (int shift : {0, 8, 16}) {
                    const double u = (x - t.x + 0.5) * 64.0 / t.w, v = (y - t.y + 0.5) * 48.0 / t.h;
                    worst = std::max(worst, int(std::lround(std::abs(Reference(frame, u, v, shift) -
                                                                     Channel(out.pixel(x, y), shift)))));
                }
        // Weights of 1/256 and one rounding between the passes: a level at most.
        EXPECT_LE(worst, 1) << ow << " x " << oh;
        if (t.x > 0) {
            EXPECT_EQ(out.pixel(t.x - 1, t.y) & 0xFFFFFFu, 0u) << "the bar stays black";
        }
    }
}

TEST(FrameScaler, WideVectorsGiveTheSamePixelsAsSse2) {
    if (!FrameScaler::CpuHasAvx2()) GTEST_SKIP() << "this processor has no AVX2";
    // Odd widths leave tails for the narrow code; 3840 x 2160 takes the streamed, two-thread path;
    // a rectangle off the picture's edge starts the rows unaligned.
    Surface frame = Noise(1024, 768, 11);
    for (auto [ow, oh] : {std::pair{3840, 2160}, {1366, 768}, {1031, 777}}) {
        FrameScaler wide, narrow;
        narrow.setWideVectors(false);
        ASSERT_TRUE(wide.wideVectors());
        for (FrameScaler* s : {&wide, &narrow})
            s->place(1024, 768, ow, oh);
        EXPECT_EQ(LargestDifference(ScaleWhole(wide, frame), ScaleWhole(narrow, frame)), 0)
            << ow << " x " << oh;
        const Rect t = wide.target();
        const Rect part{t.x + 3, t.y + 5, t.w / 3 + 1, t.h / 4};
        Surface a(ow, oh, 0xFF000000u), b(ow, oh, 0xFF000000u);
        wide.scale(frame, part, a.row(part.y) + part.x, a.strideBytes());
        narrow.scale(frame, part, b.row(part.y) + part.x, b.strideBytes());
        EXPECT_EQ(LargestDifference(a, b), 0) << "part of " << ow << " x " << oh;
    }
}

TEST(FrameScaler, WholeNumbersGiveSharpSquares) {
    Surface frame = Noise(32, 24, 3);
    FrameScaler s;
    s.setFilter(ScaleFilter::WholeNumber);
    s.place(32, 24, 100, 80);
    ASSERT_EQ(s.target(), (Rect{2, 4, 96, 72}));
    Surface out = ScaleWhole(s, frame);
    for (int y = 0; y < 72; ++y)
        for (int x = 0; x < 96; ++x)
            ASSERT_EQ(out.pixel(2 + x, 4 + y), frame.pixel(x / 3, y / 3)) << x << "," << y;
}

TEST(FrameScaler, ChangedRectanglesRedrawExactlyWhatAWholeScaleWould) {
    // Scaling only the mapped rectangles of a changed frame over the old picture must give the same
    // picture as scaling the new frame whole: a rectangle too small leaves stale pixels at its rim.
    struct Case {
        int ow, oh;
        ScaleFilter filter;
    };
    for (Case c : {Case{1920, 1080, ScaleFilter::Smooth}, Case{3840, 2160, ScaleFilter::Smooth},
                   Case{3840, 2160, ScaleFilter::WholeNumber}, Case{700, 600, ScaleFilter::Smooth},
                   Case{1366, 768, ScaleFilter::Smooth}}) {
        for (uint32_t seed : {1u, 2u}) {
            std::mt19937 rng(seed);
            FrameScaler s;
            s.setFilter(c.filter);
            s.place(1024, 768, c.ow, c.oh);
            Surface before = Noise(1024, 768, seed);
            Surface picture = ScaleWhole(s, before);
            Surface after = before;
            std::vector<Rect> dirty;
            for (int i = 0; i < 3; ++i) {
                Rect r{int(rng() % 1000), int(rng() % 750), 1 + int(rng() % 120), 1 + int(rng() % 90)};
                if (i == 0)
                    r = {0, 0, 1 + int(rng() % 5), 1 + int(rng() % 5)}; // the corner, where edges repeat
                dirty.push_back(r);
                Rect in = r.intersect(after.bounds());
                for (int y = in.y; y < in.bottom(); ++y)
                    for (int x = in.x; x < in.right(); ++x)
                        after.setPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFFu));
            }
            for (const Rect& r : dirty) {
                const Rect out = s.mapDirty(r);
                ASSERT_TRUE(s.target().intersect(out) == out);
                s.scale(after, out, picture.row(out.y) + out.x, picture.strideBytes());
            }
            EXPECT_EQ(LargestDifference(picture, ScaleWhole(s, after)), 0)
                << c.ow << " x " << c.oh << " seed " << seed;
        }
    }
}

TEST(FrameScaler, ClicksOnTheScaledPictureLandOnTheirFramePixel) {
    for (auto [ow, oh, filter] : {std::tuple{1920, 1080, ScaleFilter::Smooth},
                                  {3840, 2160, ScaleFilter::Smooth},
                                  {3840, 2160, ScaleFilter::WholeNumber},
                                  {800, 600, ScaleFilter::Smooth}}) {
        FrameScaler s;
        s.setFilter(filter);
        s.place(1024, 768, ow, oh);
        const Rect t = s.target();
        ContentOrigin origin{t.x, t.y, 1.0f, t.w, t.h, 1024, 768};
        // Enlarged, the output pixel at the centre of each frame pixel maps back to it.
        for (int f = 0; f < 768 && t.w >= 1024; f += 7) {
            const int wx = t.x + int((f + 0.5) * t.w / 1024), wy = t.y + int((f + 0.5) * t.h / 768);
            int cx = -1, cy = -1;
            ASSERT_TRUE(origin.toContent(wx, wy, cx, cy));
            EXPECT_EQ(cx, f);
            EXPECT_EQ(cy, f);
        }
        int cx = 0, cy = 0;
        EXPECT_TRUE(origin.toContent(t.right() - 1, t.bottom() - 1, cx, cy));
        EXPECT_EQ(cx, 1023);
        EXPECT_EQ(cy, 767);
        if (t.x > 0) {
            EXPECT_FALSE(origin.toContent(t.x - 1, t.y + 10, cx, cy));
        }
        EXPECT_FALSE(origin.toContent(t.right(), t.y + 10, cx, cy));
    }
    // A high-density screen: window coordinates are half the pixels.
    ContentOrigin dense{0, 0, 2.0f, 2048, 1536, 1024, 768};
    int cx = 0, cy = 0;
    EXPECT_TRUE(dense.toContent(512, 384, cx, cy));
    EXPECT_EQ(cx, 512);
    EXPECT_EQ(cy, 384);
}

TEST(SdlInput, PressesOnTheBarsGoNowhere) {
    // 1920 x 1080: the frame fills x 240 to 1680.
    ContentOrigin origin{240, 0, 1.0f, 1440, 1080, 1024, 768};
    std::vector<InputEvent> out;
    SDL_Event e = test::LeftPress(100, 540);
    EXPECT_TRUE(TranslateSdlInput(e, origin, out));
    EXPECT_TRUE(out.empty());

    // On the picture: the frame's (512, 650) drawn at (960, 914).
    e.button.x = 960;
    e.button.y = 914;
    TranslateSdlInput(e, origin, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].x, 512);
    EXPECT_EQ(out[0].y, 650);

    // Released on a bar, the press still ends, off every element.
    e.type = SDL_MOUSEBUTTONUP;
    e.button.x = 1800;
    TranslateSdlInput(e, origin, out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].kind, InputEvent::Kind::MouseUp);
    EXPECT_GE(out[1].x, 1024);

    e = SDL_Event{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 10;
    e.motion.y = 10;
    TranslateSdlInput(e, origin, out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_LT(out[2].x, 0);
}
