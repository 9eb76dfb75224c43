// AIFF files as the sound player reads them (COMM, SSND, MARK), converted for the audio output
// and written back the way the player saves them.
#include "media/WaveFile.h"

#include <cstddef>
#include <cstdint>
#include <exception>

using namespace parlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        WaveData wave = WaveFile::Parse(std::vector<uint8_t>(data, data + size), "fuzz.aif");
        try {
            auto pcm = WaveFile::ToPcm16(wave.Format, wave.Data(), wave.DataLength);
            (void)pcm;
        } catch (const std::exception&) {
        }
        if (wave.Format.SamplesPerSec == 22050) {
            std::vector<uint8_t> saved =
                WaveFile::BuildAiff(wave.Format, wave.Data(), wave.DataLength, wave.Markers);
            WaveFile::ParseAiff(std::move(saved), "saved.aif");
        }
    } catch (const std::exception&) {
    }
    return 0;
}
