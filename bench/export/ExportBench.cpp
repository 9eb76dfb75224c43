// Exporting every phrase of the demo course (target 3, source 1): lists, tracks built from the two
// voices, MP3 encoding, tags with the picture, playlist and the swap into the music folder.
#include "export/PhraseExport.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

void BM_ExportAllDemoPhrases(benchmark::State& state) {
    const std::string data = std::string(PARLORA_BINARY_DIR) + "/demo/parlora/data";
    if (!std::filesystem::is_directory(data)) {
        state.SkipWithError("no demo content: run `ctest -R demo_content_generate` first");
        return;
    }
    std::filesystem::path music = std::filesystem::temp_directory_path() / "parlora-export-bench";
    int written = 0;
    for (auto _ : state) {
        parlora::ExportSettings s;
        s.targetDir = data + "/targets/target3";
        s.interfaceDir = data + "/Interface";
        s.sourceDir = data + "/sources/1source";
        s.dataDir = data;
        s.targetName = "French";
        s.musicRoot = music.string();
        parlora::TPhraseExport job(s);
        while (job.Step()) {
        }
        if (job.state() != parlora::TPhraseExport::State::Done) state.SkipWithError(job.Error().c_str());
        written = job.Written();
    }
    state.counters["tracks"] = written;
    std::filesystem::remove_all(music);
}
BENCHMARK(BM_ExportAllDemoPhrases)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
