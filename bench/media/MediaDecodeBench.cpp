// Decoding a 10 s 352 x 288 film as the player does: the whole sound track at open, then every
// picture converted to 32 bits. Share of one core = time per iteration / 10 s.
#include "core/Surface.h"
#include "media/MediaDecoder.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

const std::string& FilmPath() {
    static const std::string path = [] {
        auto p = std::filesystem::temp_directory_path() / "parlora-bench-film.mpg";
        std::string cmd =
            "ffmpeg -v error -nostdin -y -f lavfi -i testsrc=size=352x288:rate=25:duration=10 "
            "-f lavfi -i sine=frequency=440:duration=10 -c:v mpeg1video -b:v 1M -c:a mp2 -f mpeg " +
            p.string();
        if (std::system(cmd.c_str()) != 0) throw std::runtime_error("ffmpeg failed");
        return p.string();
    }();
    return path;
}

void BM_DecodeTenSecondFilm(benchmark::State& state) {
    const std::string& path = FilmPath();
    parlora::Surface frame;
    for (auto _ : state) {
        parlora::MediaDecoder decoder(path);
        int64_t t = 0;
        int frames = 0;
        while (decoder.NextFrame(frame, t))
            ++frames;
        benchmark::DoNotOptimize(frames);
    }
    state.counters["core_share"] = benchmark::Counter(
        10.0 * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DecodeTenSecondFilm)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
