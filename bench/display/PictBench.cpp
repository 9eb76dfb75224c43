// Our PICT decoder on full-screen pictures written by ImageMagick: Arg 0 is 8-bit PackBitsRect, Arg 1 is
// 32-bit DirectBitsRect. ImageMagick's own decoder on the same files, for the ratio:
//   convert -limit thread 1 -bench 20 FILE null:   (FILE as printed in the benchmark's label)
#include "display/PictDecoder.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace parlora;

namespace {

std::string PictFile(int kind) {
    std::string dir = PARLORA_BINARY_DIR "/bench-pict";
    std::string png = dir + "/source.png";
    std::string pict = dir + (kind == 0 ? "/screen8.pict" : "/screen32.pict");
    std::string make = "mkdir -p " + dir + " && [ -f " + pict + " ] || { convert -size 1024x768 -seed 3 " +
                       "plasma:fractal -depth 8 " + png + " && convert " + png +
                       (kind == 0 ? " -colors 250 +dither" : "") + " PICT:" + pict + "; }";
    if (std::system(make.c_str()) != 0) return {};
    return pict;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::vector<uint8_t> out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            out.insert(out.end(), buf, buf + n);
        std::fclose(f);
    }
    return out;
}

void BM_DecodePict(benchmark::State& state) {
    std::string path = PictFile(int(state.range(0)));
    std::vector<uint8_t> bytes = ReadFile(path);
    if (bytes.empty()) {
        state.SkipWithError("ImageMagick's convert is needed to write the pictures");
        return;
    }
    for (auto _ : state) {
        DecodedPicture d = PictDecoder::Decode(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(d.pixels.data());
    }
    state.SetLabel(path);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_DecodePict)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
