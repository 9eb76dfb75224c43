#include "media/KaMCIMedia.h"

#include "core/Errors.h"
#include "core/PathResolver.h"

#include <algorithm>

namespace parlora {

TKaMCIMedia::TKaMCIMedia(IAudioOut& audio, Dispatcher& dispatcher) : audio_(audio), dispatcher_(dispatcher) {}

TKaMCIMedia::~TKaMCIMedia() {
    Halt();
}

void TKaMCIMedia::RequireOpen() const {
    if (!decoder_) throw TKMException("Media not open");
}

void TKaMCIMedia::SetMediaFilename(const std::string& fileName) {
    if (fileName == fileName_) return;
    fileName_ = fileName;
    if (MediaIsOpen()) OpenMedia();
}

void TKaMCIMedia::SetMediaIsOpen(bool open) {
    if (open)
        OpenMedia();
    else
        CloseMedia();
}

void TKaMCIMedia::OpenMedia() {
    CloseMedia();
    if (fileName_.empty()) return;
    // Content names come with backslashes and in any letter case.
    decoder_ = std::make_unique<MediaDecoder>(PathResolver::Resolve(fileName_));
    position_ = start_ > 0 ? std::min<int64_t>(start_, decoder_->LengthMs()) : 0;
    if (decoder_->HasVideo()) {
        decoder_->SeekVideo(position_);
        ShowFramesUpTo(position_);
    }
}

void TKaMCIMedia::CloseMedia() {
    Halt();
    decoder_.reset();
    frame_ = Surface();
    frameMs_ = -1;
    position_ = 0;
}

int TKaMCIMedia::MediaLength() const {
    return decoder_ ? int(decoder_->LengthMs()) : -1;
}

int64_t TKaMCIMedia::EndMs() const {
    int64_t length = decoder_ ? decoder_->LengthMs() : 0;
    // An end beyond the length plays to the end.
    return end_ >= 0 && end_ < length ? end_ : length;
}

void TKaMCIMedia::SetMediaEnd(int ms) {
    end_ = ms;
    if (playing_) ResumeMedia(repeat_ ? PlayRepeat : 0);
}

void TKaMCIMedia::PlayMedia(int flags) {
    RequireOpen();
    int64_t from = start_ >= 0 ? start_ : 0;
    if (flags & PlayRepeat) rangeStart_ = from;
    StartPlay(from, flags);
}

void TKaMCIMedia::ResumeMedia(int flags) {
    RequireOpen();
    int64_t from = playing_ ? ClockPosition() : position_;
    if (flags & PlayRepeat) rangeStart_ = start_ >= 0 ? start_ : 0;
    StartPlay(from, flags);
}

void TKaMCIMedia::SetMediaIsPlaying(bool playing) {
    if (playing)
        ResumeMedia(0);
    else if (decoder_)
        StopMedia();
}

void TKaMCIMedia::PauseMedia() {
    RequireOpen();
    if (playing_) position_ = ClockPosition();
    Halt();
}

void TKaMCIMedia::StopMedia() {
    RequireOpen();
    if (playing_) position_ = ClockPosition();
    Halt();
}

int TKaMCIMedia::MediaPosition() const {
    if (!decoder_) return -1;
    return int(playing_ ? ClockPosition() : position_);
}

void TKaMCIMedia::SetMediaPosition(int ms) {
    RequireOpen();
    // Seeking stops play, as the device does; a negative target is the end.
    Halt();
    int64_t length = decoder_->LengthMs();
    position_ = ms < 0 ? length : std::min<int64_t>(ms, length);
    if (decoder_->HasVideo()) {
        decoder_->SeekVideo(position_);
        frameMs_ = -1;
        ShowFramesUpTo(position_);
    }
}

Rect TKaMCIMedia::NaturalRect() const {
    if (HasVideo()) return {0, 0, decoder_->Width(), decoder_->Height()};
    return {0, 0, 24, 24};
}

void TKaMCIMedia::Halt() {
    if (voice_) audio_.stop(voice_);
    voice_ = 0;
    if (timer_) dispatcher_.killTimer(timer_);
    timer_ = 0;
    playing_ = false;
    audioRunning_ = false;
    // Any completion already queued belongs to a play that no longer counts.
    ++generation_;
}

void TKaMCIMedia::StartPlay(int64_t from, int flags) {
    Halt();
    const int64_t end = EndMs();
    from = std::clamp<int64_t>(from, 0, end);
    repeat_ = (flags & PlayRepeat) != 0;
    playFrom_ = from;
    position_ = from;
    playing_ = true;
    const uint64_t generation = generation_;
    const uint64_t now = dispatcher_.clock().nowMs();

    audioDone_ = true;
    audioEndPos_ = from;
    audioEndClock_ = now;
    const auto& pcm = decoder_->Audio();
    const size_t totalFrames = pcm->size() / MediaDecoder::OutputChannels;
    const size_t first = size_t(from) * MediaDecoder::OutputRate / 1000;
    const size_t last = std::min(totalFrames, size_t(end) * MediaDecoder::OutputRate / 1000);
    if (!muted_ && first < last) {
        VoiceRequest request;
        request.sampleRate = MediaDecoder::OutputRate;
        request.channels = MediaDecoder::OutputChannels;
        request.label = fileName_;
        if (first == 0 && last == totalFrames)
            request.samples = pcm;
        else
            request.samples = std::make_shared<const std::vector<int16_t>>(
                pcm->begin() + first * MediaDecoder::OutputChannels,
                pcm->begin() + last * MediaDecoder::OutputChannels);
        voiceFrames_ = last - first;
        Guard alive = lifetime_.guard();
        voice_ = audio_.play(request, [this, alive, generation] {
            if (!alive.expired()) AudioEnded(generation);
        });
        audioRunning_ = true;
        audioDone_ = false;
    }
    if (decoder_->HasVideo()) {
        decoder_->SeekVideo(from);
        frameMs_ = -1;
        ShowFramesUpTo(from);
    }
    timer_ = dispatcher_.setTimer(
        FrameTickMs, true, [this] { Tick(); }, lifetime_.guard());

    if (flags & PlayWait) dispatcher_.runModal([this, generation] { return generation_ != generation; });
}

int64_t TKaMCIMedia::ClockPosition() const {
    if (!playing_) return position_;
    int64_t pos;
    if (audioRunning_) {
        // The sound is the master clock: the picture follows what has been heard.
        uint64_t frames = std::min<uint64_t>(audio_.framesPlayed(voice_), voiceFrames_);
        pos = playFrom_ + int64_t(frames * 1000 / MediaDecoder::OutputRate);
    } else {
        pos = audioEndPos_ + int64_t(dispatcher_.clock().nowMs() - audioEndClock_);
    }
    return std::min(pos, EndMs());
}

void TKaMCIMedia::ShowFramesUpTo(int64_t ms) {
    if (!decoder_ || !decoder_->HasVideo()) return;
    bool shown = false;
    const int64_t end = EndMs();
    for (;;) {
        int64_t t = decoder_->PeekFrameTime();
        if (t < 0 || t > ms || (t >= end && frameMs_ >= 0)) break;
        decoder_->NextFrame(frame_, frameMs_);
        shown = true;
    }
    if (shown && OnFrame) OnFrame();
}

void TKaMCIMedia::AudioEnded(uint64_t generation) {
    if (generation != generation_ || !playing_) return;
    voice_ = 0;
    audioRunning_ = false;
    audioDone_ = true;
    audioEndPos_ = playFrom_ + int64_t(voiceFrames_ * 1000 / MediaDecoder::OutputRate);
    audioEndClock_ = dispatcher_.clock().nowMs();
    CheckEnd();
}

void TKaMCIMedia::Tick() {
    if (!playing_) return;
    ShowFramesUpTo(ClockPosition());
    CheckEnd();
}

void TKaMCIMedia::CheckEnd() {
    if (!playing_ || !audioDone_) return;
    const int64_t pos = ClockPosition();
    ShowFramesUpTo(pos);
    if (pos < EndMs()) return;
    if (repeat_) {
        StartPlay(rangeStart_, PlayRepeat);
        return;
    }
    position_ = EndMs();
    Halt();
    // Reported as the device does, by a posted message that a later stop or play makes stale.
    const uint64_t generation = generation_;
    dispatcher_.post(lifetime_.guard(), [this, generation] {
        if (generation == generation_) Completed();
    });
}

void TKaMCIMedia::Completed() {
    if (OnMediaComplete) OnMediaComplete();
}

} // namespace parlora
