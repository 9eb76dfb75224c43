// Composing a full screen, and our PNG loader against libpng called directly.
#include "display/DIBButtonStrip.h"
#include "display/DIBContainer.h"
#include "display/DIBImage.h"
#include "display/PictureDecoder.h"

#include <benchmark/benchmark.h>
#include <png.h>
#include <vector>

using namespace parlora;

namespace {

Surface Gradient(int w, int h, bool alpha) {
    Surface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.setPixel(x, y,
                       (alpha ? uint32_t((x + y) & 0xFF) << 24 : 0xFF000000u) |
                           uint32_t((x * 7) & 0xFF) << 16 | uint32_t((y * 3) & 0xFF) << 8 |
                           uint32_t((x ^ y) & 0xFF));
    return s;
}

std::vector<uint8_t> EncodePng(const Surface& s) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = png_uint_32(s.width());
    img.height = png_uint_32(s.height());
    img.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&img, nullptr, &size, 0, s.data(), s.strideBytes(), nullptr);
    std::vector<uint8_t> out(size);
    png_image_write_to_memory(&img, out.data(), &size, 0, s.data(), s.strideBytes(), nullptr);
    out.resize(size);
    return out;
}

struct Screen {
    TDIBVolatileImageList list;
    TDIBImageContainer c{1024, 768};
    Screen() {
        list.Add("bg").DIB.Assign(std::make_shared<const Surface>(Gradient(1024, 768, false)), false);
        auto& sprite = list.Add("sprite", "", false, true);
        sprite.DIB.Assign(std::make_shared<const Surface>(Gradient(120, 90, false)), false);
        list.Add("button").DIB.Assign(std::make_shared<const Surface>(Gradient(480, 100, false)), false);
        c.SetDIBImageList(&list);
        c.IndexImage.SetDIBIndex(0);
        for (int i = 0; i < 30; ++i) {
            TDIBImage& e = i % 3 == 0 ? c.Create<TDIBButtonStrip>("b") : c.Create<TDIBImage>("i");
            e.SetDIBImageList(&list);
            e.SetBounds((i % 6) * 160 + 10, (i / 6) * 140 + 20, 32, 32);
            e.SetAutoSize(true);
            e.SetDIBIndex(i % 3 == 0 ? 2 : 1);
            if (i % 10 == 4) e.SetOpacity(153);
        }
    }
};

void BM_ComposeFullScreen(benchmark::State& state) {
    Screen s;
    for (auto _ : state) {
        s.c.InvalidateAll();
        auto dirty = s.c.takeDirty();
        benchmark::DoNotOptimize(dirty.data());
    }
}
BENCHMARK(BM_ComposeFullScreen)->Unit(benchmark::kMillisecond);

void BM_DecodePngOurs(benchmark::State& state) {
    auto png = EncodePng(Gradient(1024, 768, state.range(0) != 0));
    for (auto _ : state) {
        DecodedPicture d = PictureDecoder::DecodePng(png.data(), png.size());
        benchmark::DoNotOptimize(d.pixels.data());
    }
}
BENCHMARK(BM_DecodePngOurs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DecodePngLibpngDirect(benchmark::State& state) {
    auto png = EncodePng(Gradient(1024, 768, state.range(0) != 0));
    std::vector<uint8_t> out(1024 * 768 * 4);
    for (auto _ : state) {
        png_image img{};
        img.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_memory(&img, png.data(), png.size());
        img.format = PNG_FORMAT_BGRA;
        png_image_finish_read(&img, nullptr, out.data(), 0, nullptr);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_DecodePngLibpngDirect)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
