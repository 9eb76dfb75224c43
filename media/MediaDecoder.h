#pragma once
// Reads a film or a long sound through the FFmpeg module: the whole audio track decoded at open (so
// the length is exact even for VBR MP3s) and the pictures decoded one by one on demand.
#include "core/Surface.h"
#include "media/MediaFileReader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace parlora {

class MediaDecoder {
  public:
    static constexpr int OutputRate = 44100;
    static constexpr int OutputChannels = 2;

    // Throws TKMException ("MCI Error: ...") for a missing or unreadable file.
    explicit MediaDecoder(const std::string& fileName);
    ~MediaDecoder();
    MediaDecoder(const MediaDecoder&) = delete;
    MediaDecoder& operator=(const MediaDecoder&) = delete;

    // Milliseconds: the longer of the audio and the picture tracks, from the first sample.
    int64_t LengthMs() const { return lengthMs_; }
    int64_t AudioLengthMs() const;
    int64_t VideoLengthMs() const { return videoLengthMs_; }
    bool HasAudio() const { return !audio_->empty(); }
    bool HasVideo() const { return videoStream_ >= 0; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Interleaved stereo int16 at OutputRate.
    const std::shared_ptr<const std::vector<int16_t>>& Audio() const { return audio_; }

    // Restarts the picture stream so that the next frame read is the one showing at `ms`.
    void SeekVideo(int64_t ms);
    // Decodes the next picture into `out` (natural size) and gives its time; false at the end.
    bool NextFrame(Surface& out, int64_t& ptsMs);
    // The time of the frame NextFrame would give, decoding it ahead; -1 at the end.
    int64_t PeekFrameTime();

  private:
    std::shared_ptr<const std::vector<int16_t>> audio_;
    int videoStream_ = -1;
    int width_ = 0, height_ = 0;
    int64_t videoLengthMs_ = 0;
    int64_t lengthMs_ = 0;
    std::unique_ptr<MediaFileReader> reader_;
};

} // namespace parlora
