#pragma once
// Plays one short WAV or AIFF sound from memory through the platform's audio output and reports
// every end of play: the natural end (posted) and each stop (raised inside Stop).
#include "media/WaveFile.h"
#include "platform/Dispatcher.h"
#include "platform/Platform.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace parlora {

class TKaRamWav {
  public:
    using TNotifyEvent = std::function<void(TKaRamWav& sender)>;
    // flags: bit 0 first block of a sound, bit 1 last block; a played sound passes 3.
    using THookEvent = std::function<void(TKaRamWav& sender, const TWaveFormat& format, uint32_t length,
                                          const uint8_t* bytes, uint32_t flags)>;

    TKaRamWav(IAudioOut& audio, Dispatcher& dispatcher);
    ~TKaRamWav();
    TKaRamWav(const TKaRamWav&) = delete;
    TKaRamWav& operator=(const TKaRamWav&) = delete;

    // An empty name leaves the player empty. Load errors empty the player and pass on.
    void LoadSound(const std::string& fileName);
    // Loads only when the name differs (any case) from the loaded one.
    void LoadSoundIfNew(const std::string& fileName);
    // A file image already in memory; `fileName` picks the reader by its extension and is recorded.
    void LoadFromMemory(std::vector<uint8_t> image, const std::string& fileName);
    // Takes samples that are already parsed (the recorder's own takes).
    void LoadData(const TWaveFormat& format, std::vector<uint8_t> samples, const std::string& fileName = "");
    void Unload();

    void Play();
    // Stops a play in progress; OnPlayDone is raised before this returns.
    void Stop();
    bool IsPlaying() const { return playing_; }
    // Bytes into the play range; -1 when not playing.
    int64_t PlayPosition() const;
    uint32_t DurationMs() const;
    uint32_t SampleRate() const { return wave_.Format.SamplesPerSec; }
    const TWaveFormat& WaveFormat() const { return wave_.Format; }
    // Lengths count whole sample frames of all channels.
    int64_t BytesToMs(int64_t bytes) const;
    int64_t MsToBytes(int64_t ms) const;

    const std::string& FileName() const { return fileName_; }
    const std::vector<TSoundMarker>& Markers() const { return wave_.Markers; }
    bool Empty() const { return playLength_ == 0; }
    const uint8_t* PlayData() const { return wave_.Image.data() + playOffset_; }
    uint32_t PlayLength() const { return playLength_; }

    int SpeedUp() const { return speedUp_; }
    void SetSpeedUp(int percent) { speedUp_ = percent < -100 ? -100 : percent; }
    int ClipThreshold() const { return clipThreshold_; }
    // Trims at once when a sound is loaded.
    void SetClipThreshold(int percent);
    // Leaves out leading and trailing 16-bit samples quieter than `percent` of full scale.
    void Clip(int percent);
    bool Enabled() const { return enabled_; }
    // Disabling stops play.
    void SetEnabled(bool enabled);

    // Writes all data, or only the trimmed play data, as WAV or AIF by the name's extension.
    void SaveSound(const std::string& fileName, bool clipped) const;

    static int PeakLevel(const uint8_t* bytes, uint32_t count, int bitsPerSample);

    TNotifyEvent OnPlayDone;
    THookEvent OnPlayHook;

  private:
    void Adopt(WaveData wave, const std::string& fileName);
    void CleanUp();
    void Ended(uint64_t generation);

    IAudioOut& audio_;
    Dispatcher& dispatcher_;
    Lifetime lifetime_;
    WaveData wave_;
    std::string fileName_;
    size_t playOffset_ = 0;
    uint32_t playLength_ = 0;
    std::shared_ptr<const std::vector<int16_t>>
        pcm_; // play data converted for the output, made at first play
    VoiceId voice_ = 0;
    uint64_t generation_ = 0;
    bool playing_ = false;
    bool destroying_ = false;
    bool enabled_ = true;
    int speedUp_ = 0;
    int clipThreshold_ = 0;
};

} // namespace parlora
