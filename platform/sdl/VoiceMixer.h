#pragma once
// The software mixer behind the one audio output: any number of 16-bit voices at their own
// rates and channel counts, mixed to 16-bit stereo at the device rate. No device here, and
// nothing in mix() allocates, so the audio callback can call it.
#include "platform/Platform.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace parlora {

class VoiceMixer {
  public:
    static constexpr int MaxVoices = 64;

    explicit VoiceMixer(int outputRate = 44100);

    // Adds a voice; false when the request is unusable (no samples object, bad rate or channel
    // count) or every slot is taken. A voice with no frames ends on the next mix().
    bool add(VoiceId id, const VoiceRequest& request);
    // Takes a voice out, finished or not; false when it is not there.
    bool remove(VoiceId id);
    bool contains(VoiceId id) const;
    bool finished(VoiceId id) const;
    // Source frames consumed so far (never more than the voice has).
    uint64_t framesConsumed(VoiceId id) const;
    int activeVoices() const;

    void setGain(uint16_t gain) { gain_ = gain; }
    uint16_t gain() const { return gain_; }
    int outputRate() const { return outputRate_; }

    // Writes `frames` stereo frames (interleaved L, R) to `out`, overwriting it. Returns how many
    // voices reached their end during this call; they stay in until takeFinished() or remove().
    int mix(int16_t* out, int frames);
    // Removes up to `max` finished voices and stores their ids; returns the count. Call it where
    // releasing the sample buffers is allowed (not in the audio callback).
    size_t takeFinished(VoiceId* ids, size_t max);

    // The number of output frames a voice of `frames` at `rate` lasts at `outputRate`.
    static uint64_t OutputFramesFor(uint64_t frames, int rate, int outputRate);

  private:
    struct Voice {
        VoiceId id = 0;
        bool used = false;
        bool finished = false;
        std::shared_ptr<const std::vector<int16_t>> samples;
        int channels = 1;
        uint64_t frames = 0;
        // Position in source frames as 32.32 fixed point, and the step per output frame.
        uint64_t pos = 0;
        uint64_t step = 0;
    };

    Voice* find(VoiceId id);
    const Voice* find(VoiceId id) const;
    // The voice's stereo pair at source frame `f` (already downmixed).
    static void frameAt(const Voice& v, uint64_t f, int32_t& l, int32_t& r);

    static constexpr int ChunkFrames = 512;
    int outputRate_;
    uint16_t gain_ = 65535;
    std::array<Voice, MaxVoices> voices_{};
    std::array<int32_t, ChunkFrames * 2> accum_{};
};

} // namespace parlora
