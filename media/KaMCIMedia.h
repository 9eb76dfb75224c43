#pragma once
// The media player of films and long sounds (MP3). Sound goes out as one voice of the platform's
// audio output; pictures are decoded on the UI thread, chosen by the sound's clock.
#include "core/Surface.h"
#include "media/MediaDecoder.h"
#include "platform/Dispatcher.h"
#include "platform/Platform.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace parlora {

class TKaMCIMedia {
  public:
    using TKMCompleteEvent = std::function<void()>;
    using TFrameEvent = std::function<void()>;

    // PlayMedia / ResumeMedia flags.
    static constexpr int PlayWait = 1, PlayRepeat = 2, PlayReverse = 4;
    static constexpr uint32_t DefaultColor = 8388608; // navy, as a COLORREF
    static constexpr int FrameTickMs = 10;

    TKaMCIMedia(IAudioOut& audio, Dispatcher& dispatcher);
    virtual ~TKaMCIMedia();
    TKaMCIMedia(const TKaMCIMedia&) = delete;
    TKaMCIMedia& operator=(const TKaMCIMedia&) = delete;

    const std::string& MediaFilename() const { return fileName_; }
    // Re-opens when open.
    void SetMediaFilename(const std::string& fileName);

    int MediaStart() const { return start_; }
    void SetMediaStart(int ms) { start_ = ms; }
    int MediaEnd() const { return end_; }
    // During play the new end takes effect at once.
    void SetMediaEnd(int ms);
    bool MediaMuted() const { return muted_; }
    void SetMediaMuted(bool muted) { muted_ = muted; }
    bool MediaScale() const { return scale_; }
    void SetMediaScale(bool scale) { scale_ = scale; }

    bool MediaIsOpen() const { return decoder_ != nullptr; }
    void SetMediaIsOpen(bool open);
    void OpenMedia();
    void CloseMedia();

    // Plays from MediaStart (or the beginning) to MediaEnd (or the end).
    void PlayMedia(int flags = 0);
    // Plays on from the current position.
    void ResumeMedia(int flags = 0);
    void PauseMedia();
    void StopMedia();

    // Milliseconds; -1 when closed.
    int MediaLength() const;
    int MediaPosition() const;
    void SetMediaPosition(int ms);
    bool MediaIsPlaying() const { return playing_; }
    // True continues play, false stops.
    void SetMediaIsPlaying(bool playing);

    bool HasVideo() const { return decoder_ && decoder_->HasVideo(); }
    // The picture's natural rectangle, 24 x 24 until a film is open.
    Rect NaturalRect() const;
    // The picture now showing (empty until a film has shown its first frame).
    const Surface& Frame() const { return frame_; }
    // Time of the picture now showing, ms from the start of the file; -1 before the first.
    int64_t FrameTimeMs() const { return frameMs_; }

    TKMCompleteEvent OnMediaComplete;
    // A new picture is in Frame(): the element repaints.
    TFrameEvent OnFrame;

  protected:
    // A play that reached its end; the cued player chains its follow-on cue here.
    virtual void Completed();
    void RequireOpen() const;

  private:
    void StartPlay(int64_t from, int flags);
    void Halt();
    void Tick();
    void AudioEnded(uint64_t generation);
    void CheckEnd();
    int64_t EndMs() const;
    int64_t ClockPosition() const;
    void ShowFramesUpTo(int64_t ms);

    IAudioOut& audio_;
    Dispatcher& dispatcher_;
    Lifetime lifetime_;
    std::unique_ptr<MediaDecoder> decoder_;
    std::string fileName_;
    int start_ = -1, end_ = -1;
    bool muted_ = false, scale_ = false;

    bool playing_ = false;
    uint64_t generation_ = 0;
    int64_t position_ = 0; // where play starts or where it paused
    int64_t playFrom_ = 0;
    uint64_t playStartClock_ = 0;
    VoiceId voice_ = 0;
    size_t voiceFrames_ = 0;
    bool audioRunning_ = false, audioDone_ = false;
    bool repeat_ = false;
    int64_t rangeStart_ = 0;
    int64_t audioEndPos_ = 0;
    uint64_t audioEndClock_ = 0;
    TimerId timer_ = 0;
    Surface frame_;
    int64_t frameMs_ = -1;
};

using TKaMedia = TKaMCIMedia;

} // namespace parlora
