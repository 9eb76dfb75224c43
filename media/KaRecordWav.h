#pragma once
// Records the learner's voice for a fixed time through the platform's audio input, in blocks of
// `SampleTime` ms, then plays, trims and saves the take with the player's own code.
#include "media/KaRamWav.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace parlora {

class TKaRecordWav : public TKaRamWav {
  public:
    using TRecordEvent = std::function<void(TKaRecordWav& sender)>;
    using TProgressEvent = std::function<void(TKaRecordWav& sender, int percent)>;
    using TLevelEvent = std::function<void(TKaRecordWav& sender, int peak)>;

    TKaRecordWav(IAudioOut& audioOut, IAudioIn& audioIn, Dispatcher& dispatcher);
    ~TKaRecordWav();

    // The input only delivers mono 16-bit samples, so these two are fixed.
    uint16_t Channels() const { return 1; }
    uint16_t BitsPerSample() const { return 16; }
    uint32_t SamplesPerSec() const { return samplesPerSec_; }
    void SetSamplesPerSec(uint32_t rate) { samplesPerSec_ = rate; }
    uint32_t Duration() const { return duration_; }
    void SetDuration(uint32_t ms) { duration_ = ms; }
    uint32_t SampleTime() const { return sampleTime_; }
    void SetSampleTime(uint32_t ms) { sampleTime_ = ms; }

    // The format of every recorded block: PCM with the properties above.
    TWaveFormat RecordFormat() const;
    // Bytes per block: one `SampleTime` of sound, rounded down to whole samples.
    uint32_t BlockSize() const;

    // Starts a recording of `Duration` ms, replacing the sound and any recording in progress
    // (that one ends without a done report). Duration 0 reports done at once.
    void Record();
    // Ends early, keeping what was recorded; OnRecordDone is raised before this returns.
    void StopRecording();
    bool Recording() const { return active_; }
    // Bytes received in the current (or last) recording and the bytes it wanted (-1: monitoring).
    int64_t Recorded() const { return recorded_; }
    int64_t Total() const { return total_; }
    // The loudest sample of the last block, 0..32767.
    int LastPeak() const { return lastPeak_; }
    // The level meter's frame for a peak: 1 for silence up to numImages at full scale.
    static int LevelFrame(int peak, int numImages);

    bool Monitor() const { return monitor_; }
    // Continuous listening for the level and hook only; nothing is kept.
    void SetMonitor(bool monitor);

    // Playing first stops any recording or listening.
    void Play();
    // Disabling clears Monitor and stops any recording.
    void SetEnabled(bool enabled);

    TRecordEvent OnRecordDone;
    TProgressEvent OnRecordProgress;
    TLevelEvent OnRecordLevel;
    // Each block as recorded; flags bit 0 the first block of a recording, bit 1 the last.
    THookEvent OnRecordHook;

  private:
    void Start(int64_t total);
    void BlockReceived(uint64_t session, std::vector<int16_t> block);
    // Takes `samples` as a block; `last` ends the recording whatever is still wanted.
    void Process(const std::vector<int16_t>& samples, bool last);
    void Finish();
    void EndOfRecord();
    void Halt();

    IAudioIn& audioIn_;
    uint32_t samplesPerSec_ = 22050;
    uint32_t duration_ = 5000;
    uint32_t sampleTime_ = 50;
    bool monitor_ = false;

    bool active_ = false;
    bool starting_ = false;
    bool destroying_ = false;
    bool firstBlock_ = false;
    uint64_t session_ = 0; // blocks of an earlier recording are dropped
    int64_t total_ = 0;
    int64_t recorded_ = 0;
    int lastPeak_ = 0;
    std::vector<uint8_t> buffer_; // the take, allocated once at full length
};

} // namespace parlora
