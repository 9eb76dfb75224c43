// The real display on SDL's dummy video driver: a window resized to a large screen shows the frame
// scaled with black bars, changed rectangles keep the picture equal to a whole scale, and a window
// of the frame's own size still gets the frame pixel for pixel.
#include "platform/sdl/SdlPlatform.h"
#include "tests/platform_sdl/SdlEvents.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using namespace parlora;

namespace {

class DummyVideo : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    void TearDown() override { unsetenv("PARLORA_SCALE"); }
};

Surface Pattern(uint32_t seed) {
    std::mt19937 rng(seed);
    Surface s(1024, 768);
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x)
            s.setPixel(x, y,
                       0xFF000000u | uint32_t(x * 255 / 1023) << 16 | uint32_t(y * 255 / 767) << 8 |
                           ((x / 16 + y / 16) % 2 ? 0xC0u : 0x20u));
    // A few sharp blocks, where a wrongly placed sample shows at once.
    for (int i = 0; i < 20; ++i) {
        const int bx = int(rng() % 1000), by = int(rng() % 740);
        for (int y = by; y < by + 20; ++y)
            for (int x = bx; x < bx + 20; ++x)
                s.setPixel(x, y, 0xFF000000u | (rng() & 0xFFFFFFu));
    }
    return s;
}

// The window surface's pixels as a surface (the dummy driver's surface is 32-bit xRGB).
Surface WindowPicture(SDL_Window* window) {
    SDL_Surface* ws = SDL_GetWindowSurface(window);
    if (!ws || ws->format->BytesPerPixel != 4) return {};
    Surface s(ws->w, ws->h);
    for (int y = 0; y < ws->h; ++y) {
        auto* row =
            reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(ws->pixels) + y * ws->pitch);
        for (int x = 0; x < ws->w; ++x)
            s.setPixel(x, y, 0xFF000000u | (row[x] & 0xFFFFFFu));
    }
    return s;
}

Surface Expected(const FrameScaler& scaler, const Surface& frame) {
    Surface out(scaler.outputWidth(), scaler.outputHeight(), 0xFF000000u);
    if (scaler.unscaled()) {
        const Rect t = scaler.target();
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                if (out.bounds().contains(t.x + x, t.y + y))
                    out.setPixel(t.x + x, t.y + y, frame.pixel(x, y));
        return out;
    }
    const Rect t = scaler.target();
    scaler.scale(frame, t, out.row(t.y) + t.x, out.strideBytes());
    return out;
}

// Pixels whose colour differs (the alpha byte means nothing on a window).
int Differing(const Surface& a, const Surface& b) {
    if (a.width() != b.width() || a.height() != b.height()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += ((a.pixel(x, y) ^ b.pixel(x, y)) & 0xFFFFFFu) != 0;
    return n;
}

void Resize(SdlPlatform& platform, int w, int h) {
    SDL_SetWindowSize(platform.sdlDisplay().window(), w, h);
    std::vector<InputEvent> events;
    platform.waitEvents(0, events);
}

} // namespace

TEST_F(DummyVideo, ResizedWindowShowsTheFrameScaledAndChangesFollow) {
    for (const char* mode : {"smooth", "whole"}) {
        setenv("PARLORA_SCALE", mode, 1);
        SdlPlatform platform;
        SdlDisplay& display = platform.sdlDisplay();
        ASSERT_TRUE(display.openWindow("Parlora Plus!", WindowMode::MaximisedCentred));
        ASSERT_FALSE(display.usesRenderer());
        Surface frame = Pattern(1);
        display.present(frame, {});

        Resize(platform, 1920, 1080);
        const Rect want = std::string(mode) == "whole" ? Rect{448, 156, 1024, 768} : Rect{240, 0, 1440, 1080};
        ASSERT_EQ(display.scaler().target(), want) << mode;
        Surface shown = WindowPicture(display.window());
        ASSERT_EQ(shown.width(), 1920);
        EXPECT_EQ(Differing(shown, Expected(display.scaler(), frame)), 0) << mode << ": after the resize";

        // Three changed rectangles, one at the frame's edge.
        std::vector<Rect> dirty{{0, 700, 60, 68}, {500, 300, 33, 17}, {980, 10, 44, 40}};
        for (const Rect& r : dirty)
            for (int y = r.y; y < r.bottom(); ++y)
                for (int x = r.x; x < r.right(); ++x)
                    frame.setPixel(x, y, 0xFF00FF00u ^ uint32_t(x * y));
        display.present(frame, dirty);
        shown = WindowPicture(display.window());
        EXPECT_EQ(Differing(shown, Expected(display.scaler(), frame)), 0) << mode << ": after the changes";

        // A screen change sends a whole new frame; the bars drawn at the resize stay as they were.
        Surface next = Pattern(2);
        display.present(next, {});
        EXPECT_EQ(Differing(WindowPicture(display.window()), Expected(display.scaler(), next)), 0)
            << mode << ": a whole new frame";
        display.present(frame, {});

        // The pointer over the frame's (512, 650) comes back as that point.
        const Rect t = display.scaler().target();
        std::vector<InputEvent> out;
        SDL_Event e = test::LeftPress(t.x + int(512.5 * t.w / 1024), t.y + int(650.5 * t.h / 768));
        TranslateSdlInput(e, display.origin(), out);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].x, 512);
        EXPECT_EQ(out[0].y, 650);

        // Back at the frame's own size: 1:1, no bars.
        Resize(platform, 1024, 768);
        EXPECT_TRUE(display.scaler().unscaled());
        shown = WindowPicture(display.window());
        EXPECT_EQ(Differing(shown, frame), 0) << mode << ": at 1024 x 768";
        display.present(next, {});
        EXPECT_EQ(Differing(WindowPicture(display.window()), next), 0) << mode << ": a whole frame at 1:1";
    }
}

TEST_F(DummyVideo, RendererFillsTheSameRectangle) {
    // SDL's renderer scales by its own rules, so only the place and the bars are compared exactly.
    setenv("PARLORA_PRESENT", "renderer", 1);
    SdlPlatform platform;
    unsetenv("PARLORA_PRESENT");
    SdlDisplay& display = platform.sdlDisplay();
    ASSERT_TRUE(display.openWindow("Parlora Plus!", WindowMode::MaximisedCentred));
    ASSERT_TRUE(display.usesRenderer());
    Surface frame(1024, 768, 0xFF3366CCu);
    display.present(frame, {});
    Resize(platform, 1920, 1080);
    ASSERT_EQ(display.scaler().target(), (Rect{240, 0, 1440, 1080}));
    display.present(frame, {{0, 0, 10, 10}});
    Surface shown = WindowPicture(display.window());
    ASSERT_EQ(shown.width(), 1920);
    for (int y : {0, 539, 1079}) {
        EXPECT_EQ(shown.pixel(239, y) & 0xFFFFFFu, 0u);
        EXPECT_EQ(shown.pixel(240, y) & 0xFFFFFFu, 0x3366CCu);
        EXPECT_EQ(shown.pixel(1679, y) & 0xFFFFFFu, 0x3366CCu);
        EXPECT_EQ(shown.pixel(1680, y) & 0xFFFFFFu, 0u);
    }
}

TEST_F(DummyVideo, SmallScreenWindowKeepsTheFrameOneToOne) {
    SdlPlatform platform;
    SdlDisplay& display = platform.sdlDisplay();
    ASSERT_TRUE(display.openWindow("Parlora Plus!", WindowMode::BorderlessAtOrigin));
    Surface frame = Pattern(2);
    display.present(frame, {});
    Resize(platform, 900, 700);
    // Smaller than the frame: its top-left part, unscaled, as before.
    EXPECT_EQ(display.scaler().target(), (Rect{0, 0, 1024, 768}));
    Surface shown = WindowPicture(display.window());
    ASSERT_EQ(shown.width(), 900);
    EXPECT_EQ(shown.pixel(899, 699), frame.pixel(899, 699));
    EXPECT_EQ(shown.pixel(0, 0), frame.pixel(0, 0));
}
