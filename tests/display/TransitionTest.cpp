#include "display/Transition.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace parlora;

namespace {

constexpr uint32_t kFrom = ArgbFromRgb(200, 40, 10);
constexpr uint32_t kTo = ArgbFromRgb(20, 100, 251);

// A patterned picture so that a frame taken from the wrong place shows.
Surface Pattern(int w, int h, uint32_t seed) {
    Surface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.setPixel(x, y, 0xFF000000u | ((uint32_t(x * 7 + y * 13) * 2654435761u + seed) & 0x00FFFFFFu));
    return s;
}

bool SameAs(const Surface& a, const Surface& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

int Channel(uint32_t c, int shift) {
    return int((c >> shift) & 0xFF);
}

} // namespace

TEST(Transition, DurationsAndUnknownKinds) {
    EXPECT_EQ(TTransition::DurationMs(0), 0);
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(TTransition::DurationMs(k), 500) << k;
    EXPECT_EQ(TTransition::DurationMs(6), 2000);
    EXPECT_EQ(TTransition::DurationMs(7), 0);
    EXPECT_EQ(TTransition::DurationMs(255), 0);
    EXPECT_EQ(TTransition::DurationMs(-1), 0);
}

TEST(Transition, EndsOfEveryKindAreTheTwoScreensExactly) {
    const Surface from = Pattern(101, 37, 1), to = Pattern(101, 37, 99);
    for (int kind = 0; kind <= 7; ++kind) {
        Surface out;
        TTransition::RenderFrame(kind, from, to, 0.0, out);
        EXPECT_TRUE(SameAs(out, from)) << "kind " << kind << " at 0";
        TTransition::RenderFrame(kind, from, to, 1.0, out);
        EXPECT_TRUE(SameAs(out, to)) << "kind " << kind << " at 1";
        // Out-of-range progress is clamped rather than read past the ramps.
        TTransition::RenderFrame(kind, from, to, -3.0, out);
        EXPECT_TRUE(SameAs(out, from)) << "kind " << kind << " below 0";
        TTransition::RenderFrame(kind, from, to, 7.0, out);
        EXPECT_TRUE(SameAs(out, to)) << "kind " << kind << " above 1";
    }
}

TEST(Transition, WipesMoveTheirSoftEdgeTheRightWay) {
    const int w = 1024, h = 4;
    const Surface from(w, h, kFrom), to(w, h, kTo);
    Surface out;

    TTransition::RenderFrame(TTransition::WipeRight, from, to, 0.5, out);
    int lastTo = -1, firstFrom = w;
    for (int x = 0; x < w; ++x) {
        if (out.pixel(x, 2) == kTo) lastTo = x;
        if (out.pixel(x, 2) == kFrom && firstFrom == w) firstFrom = x;
    }
    EXPECT_NEAR(lastTo, w / 2 - 25, 30);
    // Everything left of the edge is new, everything right of it old, the band between is mixed.
    for (int x = 0; x <= lastTo; ++x)
        ASSERT_EQ(out.pixel(x, 0), kTo) << x;
    for (int x = firstFrom; x < w; ++x)
        ASSERT_EQ(out.pixel(x, 0), kFrom) << x;
    EXPECT_LE(firstFrom - lastTo - 1, TTransition::kBandWidth);
    EXPECT_GE(firstFrom - lastTo - 1, TTransition::kBandWidth - 2);
    // The soft edge fades monotonically from new to old.
    for (int x = lastTo + 1; x < firstFrom; ++x)
        EXPECT_GE(Channel(out.pixel(x, 1), 16), Channel(out.pixel(x - 1, 1), 16)) << x;

    TTransition::RenderFrame(TTransition::WipeLeft, from, to, 0.25, out);
    EXPECT_EQ(out.pixel(w - 1, 0), kTo);
    EXPECT_EQ(out.pixel(0, 0), kFrom);
    EXPECT_EQ(out.pixel(w / 2, 0), kFrom);

    TTransition::RenderFrame(TTransition::WipeOutwards, from, to, 0.3, out);
    EXPECT_EQ(out.pixel(w / 2, 0), kTo);
    EXPECT_EQ(out.pixel(w / 2 - 1, 0), kTo);
    EXPECT_EQ(out.pixel(0, 0), kFrom);
    EXPECT_EQ(out.pixel(w - 1, 0), kFrom);
    for (int x = 0; x < w / 2; ++x)
        ASSERT_EQ(out.pixel(x, 0), out.pixel(w - 1 - x, 0)) << "symmetric " << x;

    TTransition::RenderFrame(TTransition::WipeInwards, from, to, 0.3, out);
    EXPECT_EQ(out.pixel(w / 2, 0), kFrom);
    EXPECT_EQ(out.pixel(0, 0), kTo);
    EXPECT_EQ(out.pixel(w - 1, 0), kTo);
    for (int x = 0; x < w / 2; ++x)
        ASSERT_EQ(out.pixel(x, 0), out.pixel(w - 1 - x, 0)) << "symmetric " << x;
}

TEST(Transition, BlendAtHalfIsTheMidpoint) {
    const Surface from = Pattern(64, 48, 5), to = Pattern(64, 48, 77777);
    Surface out;
    TTransition::RenderFrame(TTransition::Blend, from, to, 0.5, out);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            for (int shift : {0, 8, 16, 24}) {
                const int mid = (Channel(from.pixel(x, y), shift) + Channel(to.pixel(x, y), shift)) / 2;
                ASSERT_LE(std::abs(Channel(out.pixel(x, y), shift) - mid), 1)
                    << x << "," << y << " " << shift;
            }
}

TEST(Transition, RadialSweepsClockwiseFromTwelve) {
    const int w = 200, h = 100;
    const Surface from(w, h, kFrom), to(w, h, kTo);
    Surface out;
    // A quarter past: the upper right quadrant is new, the rest still old.
    TTransition::RenderFrame(TTransition::Radial, from, to, 0.3, out);
    EXPECT_EQ(out.pixel(w * 3 / 4, h / 8), kTo);       // upper right
    EXPECT_EQ(out.pixel(w * 3 / 4, h * 7 / 8), kFrom); // lower right
    EXPECT_EQ(out.pixel(w / 4, h * 7 / 8), kFrom);     // lower left
    EXPECT_EQ(out.pixel(w / 4, h / 8), kFrom);         // upper left
    TTransition::RenderFrame(TTransition::Radial, from, to, 0.8, out);
    EXPECT_EQ(out.pixel(w / 4, h * 7 / 8), kTo);
    EXPECT_EQ(out.pixel(w / 4, h / 8), kFrom);
}

TEST(Transition, OutputMayAliasAnInputAndSizesNeedNotMatch) {
    const Surface from = Pattern(80, 60, 3), to = Pattern(80, 60, 4);
    Surface expected;
    TTransition::RenderFrame(TTransition::WipeOutwards, from, to, 0.4, expected);
    Surface inPlace = from;
    TTransition::RenderFrame(TTransition::WipeOutwards, inPlace, to, 0.4, inPlace);
    EXPECT_TRUE(SameAs(inPlace, expected));

    // A smaller old screen is padded with black, never read past its end.
    const Surface small(10, 10, kFrom);
    Surface out;
    TTransition::RenderFrame(TTransition::Blend, small, to, 0.0, out);
    ASSERT_EQ(out.width(), 80);
    EXPECT_EQ(out.pixel(5, 5), kFrom);
    EXPECT_EQ(out.pixel(50, 50), 0xFF000000u);
    TTransition::RenderFrame(TTransition::Radial, Surface(), to, 1.0, out);
    EXPECT_TRUE(SameAs(out, to));
}

namespace {

struct RunLog {
    std::vector<Surface> frames;
    std::vector<uint64_t> times;
};

RunLog RunWithFakeClock(int kind, bool fast, const Surface& from, const Surface& to, FakeClock& clock) {
    RunLog log;
    TTransition::Run(
        kind, fast, from, to, clock,
        [&](const Surface& s) {
            log.frames.push_back(s);
            log.times.push_back(clock.nowMs());
        },
        [&](uint64_t ms) { clock.advance(ms); });
    return log;
}

} // namespace

TEST(Transition, RunEndsAtTheDurationAndPresentsTheNewScreenLast) {
    const Surface from = Pattern(32, 24, 8), to = Pattern(32, 24, 9);
    for (int kind = 1; kind <= 6; ++kind) {
        FakeClock clock(5000);
        const RunLog log = RunWithFakeClock(kind, false, from, to, clock);
        const uint64_t d = uint64_t(TTransition::DurationMs(kind));
        EXPECT_EQ(clock.nowMs(), 5000 + d) << kind;
        ASSERT_GE(log.frames.size(), 3u);
        EXPECT_TRUE(SameAs(log.frames.front(), from)) << kind;
        EXPECT_TRUE(SameAs(log.frames.back(), to)) << kind;
        EXPECT_EQ(log.times.back(), 5000 + d);
        // About 60 frames a second, never two at the same instant.
        EXPECT_NEAR(double(log.frames.size()), double(d) / TTransition::kFrameMs + 2, 2) << kind;
        for (size_t i = 1; i + 1 < log.times.size(); ++i)
            EXPECT_GT(log.times[i], log.times[i - 1]);
    }
}

TEST(Transition, FastNoneAndUnknownKindsPresentOnce) {
    const Surface from = Pattern(16, 16, 1), to = Pattern(16, 16, 2);
    for (auto [kind, fast] : {std::pair{6, true}, {1, true}, {0, false}, {7, false}, {-2, false}}) {
        FakeClock clock(100);
        const RunLog log = RunWithFakeClock(kind, fast, from, to, clock);
        ASSERT_EQ(log.frames.size(), 1u) << kind;
        EXPECT_TRUE(SameAs(log.frames[0], to));
        EXPECT_EQ(clock.nowMs(), 100u);
    }
}

TEST(Transition, StuckClockDoesNotHangTheRun) {
    const Surface from(8, 8, kFrom), to(8, 8, kTo);
    FakeClock clock;
    int presented = 0;
    TTransition::Run(
        TTransition::Blend, false, from, to, clock, [&](const Surface&) { ++presented; }, [](uint64_t) {});
    EXPECT_LE(presented, 502);
    EXPECT_GE(presented, 2);
}
