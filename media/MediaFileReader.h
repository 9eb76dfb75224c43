#pragma once
// The boundary between the course and its FFmpeg module. The module is loaded on first use so the
// hundred-odd libraries FFmpeg brings are not mapped at every start. Only standard types cross it;
// failures come back as results, never as exceptions.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace parlora {

// What reading the whole file learnt about its picture stream.
struct MediaFacts {
    int videoStream = -1;
    int width = 0, height = 0;
    int64_t videoLengthMs = 0;
};

class MediaFileReader {
  public:
    enum Result { Ok = 0, Invalid = 1 };
    virtual ~MediaFileReader() = default;
    // Decodes the whole audio track into interleaved int16 at `rate` with `channels` channels.
    virtual Result ReadWhole(int rate, int channels, std::vector<int16_t>& pcm, MediaFacts& facts) = 0;
    // Restarts the picture stream so that the next frame read is the one showing at `ms`.
    virtual Result SeekVideo(int64_t ms) = 0;
    // The time of the next frame, decoding it ahead; -1 at the end.
    virtual Result PeekFrameTime(int64_t& ms) = 0;
    // Converts the next frame into 0xAARRGGBB rows of the stream's natural size; `got` false at the end.
    virtual Result NextFrame(uint32_t* pixels, size_t strideWords, int64_t& ms, bool& got) = 0;
};

// Bumped whenever this interface changes: a module built from another version is refused.
constexpr int MediaModuleAbi = 1;
constexpr const char* MediaModuleEntry = "parlora_open_media_file";
constexpr const char* MediaModuleFile = "libparlora_ffmpeg.so";
using OpenMediaFileFn = MediaFileReader* (*)(const char* fileName, int abi);

} // namespace parlora
