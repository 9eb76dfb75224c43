// Presenting the 1024 x 768 frame in a large window: the whole frame scaled (a screen change, each
// transition frame) and one button's rectangle (a hover), through the real display on SDL's dummy
// video driver (SDL_VIDEODRIVER=x11 measures the X server's copy too), and the scalers alone.
#include "platform/sdl/FrameScaler.h"
#include "platform/sdl/SdlPlatform.h"

#include <benchmark/benchmark.h>
#ifdef PARLORA_BENCH_PIXMAN
#include <pixman.h>
#endif

#include <cstdlib>
#include <memory>

using namespace parlora;

namespace {

Surface Frame() {
    Surface s(1024, 768);
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x)
            s.setPixel(x, y,
                       0xFF000000u | uint32_t((x * 7) & 0xFF) << 16 | uint32_t((y * 3) & 0xFF) << 8 |
                           uint32_t((x ^ y) & 0xFF));
    return s;
}

const std::pair<int, int> kSizes[] = {{1920, 1080}, {2560, 1440}, {3840, 2160}};

// A window of the given size showing a frame, on the dummy driver unless another is chosen.
struct Window {
    std::unique_ptr<SdlPlatform> platform;
    Surface frame = Frame();
    explicit Window(std::pair<int, int> size, ScaleFilter filter) {
        if (!std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("PARLORA_SCALE", filter == ScaleFilter::WholeNumber ? "whole" : "smooth", 1);
        platform = std::make_unique<SdlPlatform>();
        SdlDisplay& display = platform->sdlDisplay();
        if (!display.openWindow("Parlora Plus!", WindowMode::MaximisedCentred)) return;
        SDL_SetWindowSize(display.window(), size.first, size.second);
        std::vector<InputEvent> events;
        platform->waitEvents(0, events);
        display.present(frame, {});
    }
};

void BM_ScaledPresentWhole(benchmark::State& state) {
    Window w(kSizes[state.range(0)], ScaleFilter(state.range(1)));
    SdlDisplay& display = w.platform->sdlDisplay();
    if (!display.windowOpen()) {
        state.SkipWithError("no window");
        return;
    }
    for (auto _ : state) {
        w.frame.setPixel(0, 0, w.frame.pixel(0, 0) ^ 1u);
        display.present(w.frame, {});
    }
    const Rect t = display.scaler().target();
    state.SetLabel(std::to_string(display.scaler().outputWidth()) + "x" +
                   std::to_string(display.scaler().outputHeight()) +
                   (display.usesRenderer() ? " renderer" : "") + ", picture " + std::to_string(t.w) + "x" +
                   std::to_string(t.h));
}
BENCHMARK(BM_ScaledPresentWhole)
    ->ArgsProduct({{0, 1, 2}, {int(ScaleFilter::Smooth), int(ScaleFilter::WholeNumber)}})
    ->Unit(benchmark::kMillisecond);

void BM_ScaledPresentButton(benchmark::State& state) {
    Window w(kSizes[2], ScaleFilter::Smooth);
    SdlDisplay& display = w.platform->sdlDisplay();
    if (!display.windowOpen()) {
        state.SkipWithError("no window");
        return;
    }
    const std::vector<Rect> dirty{{400, 300, 120, 90}};
    for (auto _ : state)
        display.present(w.frame, dirty);
}
BENCHMARK(BM_ScaledPresentButton)->Unit(benchmark::kMicrosecond);

// The scalers alone, whole frame to 2880 x 2160 (the picture on a 3840 x 2160 screen): ours, then
// pixman's and SDL's bilinear scalers for comparison.
void BM_FrameScaler4K(benchmark::State& state) {
    Surface frame = Frame();
    FrameScaler scaler;
    scaler.setFilter(ScaleFilter(state.range(0)));
    scaler.place(1024, 768, 3840, 2160);
    Surface out(3840, 2160);
    const Rect t = scaler.target();
    for (auto _ : state)
        scaler.scale(frame, t, out.row(t.y) + t.x, out.strideBytes());
}
BENCHMARK(BM_FrameScaler4K)
    ->Arg(int(ScaleFilter::Smooth))
    ->Arg(int(ScaleFilter::WholeNumber))
    ->Unit(benchmark::kMillisecond);

#ifdef PARLORA_BENCH_PIXMAN
void BM_PixmanScale4K(benchmark::State& state) {
    Surface frame = Frame();
    Surface out(3840, 2160);
    pixman_image_t* src =
        pixman_image_create_bits(PIXMAN_x8r8g8b8, 1024, 768, frame.data(), frame.strideBytes());
    pixman_image_t* dst =
        pixman_image_create_bits(PIXMAN_x8r8g8b8, 3840, 2160, out.data(), out.strideBytes());
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(1024.0 / 2880),
                                pixman_double_to_fixed(768.0 / 2160));
    pixman_image_set_transform(src, &t);
    pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_set_repeat(src, PIXMAN_REPEAT_PAD);
    for (auto _ : state)
        pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 480, 0, 2880, 2160);
    pixman_image_unref(src);
    pixman_image_unref(dst);
}
BENCHMARK(BM_PixmanScale4K)->Unit(benchmark::kMillisecond);
#endif

void BM_SdlSoftStretchLinear4K(benchmark::State& state) {
    Surface frame = Frame();
    Surface out(3840, 2160);
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(frame.data(), 1024, 768, 32, frame.strideBytes(),
                                                          SDL_PIXELFORMAT_RGB888);
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormatFrom(out.data(), 3840, 2160, 32, out.strideBytes(),
                                                          SDL_PIXELFORMAT_RGB888);
    SDL_Rect to{480, 0, 2880, 2160};
    for (auto _ : state)
        SDL_SoftStretchLinear(src, nullptr, dst, &to);
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
}
BENCHMARK(BM_SdlSoftStretchLinear4K)->Unit(benchmark::kMillisecond);

} // namespace
