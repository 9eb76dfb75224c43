#pragma once
// WAV and AIFF files held whole in memory.
// Supported: RIFF/WAVE with "fmt " and "data" chunks; AIFF (not AIFF-C) with COMM, SSND and MARK.
// Samples are PCM; 8-bit data is held unsigned and 16-bit little-endian whatever the file
// said (AIFF is converted in place once, at load). Every chunk must lie inside the bytes read.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace parlora {

struct TWaveFormat {
    uint16_t FormatTag = 0;
    uint16_t Channels = 0;
    uint32_t SamplesPerSec = 0;
    uint32_t AvgBytesPerSec = 0;
    uint16_t BlockAlign = 0;
    uint16_t BitsPerSample = 0;
    uint16_t ExtraSize = 0;
};

struct TSoundMarker {
    uint16_t Id = 0;
    uint32_t Position = 0; // in sample frames
    std::string Name;
};

struct WaveData {
    TWaveFormat Format;
    std::vector<uint8_t> Image; // the whole file; the samples lie inside it
    size_t DataOffset = 0;
    uint32_t DataLength = 0;
    std::vector<TSoundMarker> Markers;

    const uint8_t* Data() const { return Image.data() + DataOffset; }
};

namespace WaveFile {

// Parsers of a whole file image; `name` fills the messages. They fail with RWException
// "File %s not recognised as WAV" / "File %s not recognised as AIF".
WaveData ParseWav(std::vector<uint8_t> image, const std::string& name);
WaveData ParseAiff(std::vector<uint8_t> image, const std::string& name);

// Chooses the reader by the name's extension (".wav", ".aif", any case); else
// "Extension %s not supported".
WaveData Parse(std::vector<uint8_t> image, const std::string& name);
WaveData Load(const std::filesystem::path& path);

// The 80-bit extended float of AIFF's COMM chunk, taken through a 32-bit float and truncated.
// Returns false for values no sample rate can have.
bool ExtendedToRate(const uint8_t* p, uint32_t& rate);

// Signed 16-bit interleaved samples of `length` bytes of `data` in `format`, for the audio output.
// Fails with RWException "Sound open failed - unsupported wave format" for what it cannot convert.
std::shared_ptr<const std::vector<int16_t>> ToPcm16(const TWaveFormat& format, const uint8_t* data,
                                                    uint32_t length);

// Files as the player saves them: a 46-byte WAV header, or AIFF at 22050 samples per second only.
std::vector<uint8_t> BuildWav(const TWaveFormat& format, const uint8_t* data, uint32_t length);
std::vector<uint8_t> BuildAiff(const TWaveFormat& format, const uint8_t* data, uint32_t length,
                               const std::vector<TSoundMarker>& markers);

} // namespace WaveFile
} // namespace parlora
