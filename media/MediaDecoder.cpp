#include "media/MediaDecoder.h"

#include "core/Errors.h"
#include "media/MediaModule.h"

#include <algorithm>
#include <filesystem>

namespace parlora {

namespace {

// The system's own texts for the two failures a content file can give.
const char* const FileNotFound =
    "MCI Error: Cannot find the specified file. Make sure the path and filename are correct.";
const char* const InvalidFile =
    "MCI Error: The specified file cannot be played on the specified MCI device. The file "
    "may be corrupt, or not in the correct format.";

void Check(MediaFileReader::Result r) {
    if (r != MediaFileReader::Ok) throw TKMException(InvalidFile);
}

} // namespace

MediaDecoder::MediaDecoder(const std::string& fileName) {
    std::error_code ec;
    if (fileName.empty() || !std::filesystem::is_regular_file(fileName, ec)) throw TKMException(FileNotFound);
    reader_ = MediaModule::Open(fileName);
    auto pcm = std::make_shared<std::vector<int16_t>>();
    MediaFacts facts;
    Check(reader_->ReadWhole(OutputRate, OutputChannels, *pcm, facts));
    audio_ = std::move(pcm);
    videoStream_ = facts.videoStream;
    width_ = facts.width;
    height_ = facts.height;
    videoLengthMs_ = facts.videoLengthMs;
    lengthMs_ = std::max(AudioLengthMs(), videoStream_ >= 0 ? videoLengthMs_ : 0);
}

MediaDecoder::~MediaDecoder() = default;

int64_t MediaDecoder::AudioLengthMs() const {
    return int64_t(audio_->size() / OutputChannels) * 1000 / OutputRate;
}

void MediaDecoder::SeekVideo(int64_t ms) {
    if (videoStream_ >= 0) Check(reader_->SeekVideo(ms));
}

int64_t MediaDecoder::PeekFrameTime() {
    int64_t ms = -1;
    if (videoStream_ >= 0) Check(reader_->PeekFrameTime(ms));
    return ms;
}

bool MediaDecoder::NextFrame(Surface& out, int64_t& ptsMs) {
    if (videoStream_ < 0) return false;
    if (out.width() != width_ || out.height() != height_) out.resize(width_, height_);
    bool got = false;
    Check(reader_->NextFrame(out.row(0), size_t(width_), ptsMs, got));
    return got;
}

} // namespace parlora
