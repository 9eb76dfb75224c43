// WAV files as the sound player reads them: the parser, the conversion for the audio output and
// the writer the recorder uses, fed back to the parser.
#include "core/Errors.h"
#include "media/WaveFile.h"

#include <cstddef>
#include <cstdint>
#include <exception>

using namespace parlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        WaveData wave = WaveFile::Parse(std::vector<uint8_t>(data, data + size), "fuzz.wav");
        try {
            auto pcm = WaveFile::ToPcm16(wave.Format, wave.Data(), wave.DataLength);
            (void)pcm;
        } catch (const std::exception&) {
        }
        std::vector<uint8_t> saved = WaveFile::BuildWav(wave.Format, wave.Data(), wave.DataLength);
        WaveFile::ParseWav(std::move(saved), "saved.wav");
    } catch (const std::exception&) {
        // Refused files are the normal outcome for most inputs.
    }
    return 0;
}
