#pragma once
// Two voices one above the other on the same time scale: the native speaker's word on top, the
// learner's take below, each drawn as its loudness envelope, so a missing syllable or a word said
// too fast shows at a glance. Only the envelope is kept; nothing else is read from the sound.
#include "display/DIBControl.h"

#include <cstdint>
#include <vector>

namespace parlora {

// Little-endian signed 16-bit PCM, as the wave players hold it (other sizes show as silence).
struct TWaveVoice {
    const uint8_t* data = nullptr;
    uint32_t length = 0; // bytes
    int channels = 1;
    int bitsPerSample = 16;
    int samplesPerSec = 44100;
};

class TDIBWaveView : public TCustomDIBControl {
  public:
    static constexpr int kEnvelopeMs = 5; // one envelope value per 5 ms of sound
    enum TLane { wlSpeaker = 0, wlLearner = 1 };

    explicit TDIBWaveView(TDIBContainer* owner);

    void SetVoices(const TWaveVoice& speaker, const TWaveVoice& learner);
    void SetVoice(TLane lane, const TWaveVoice& voice);
    void Clear();

    // The peak of each 5 ms of a lane, 0..32767.
    const std::vector<uint16_t>& Envelope(TLane lane) const { return envelope_[lane]; }
    // The time the width spans: the longer of the two voices, at least one second.
    int SpanMs() const;

    uint32_t PanelColor = 0xFFF4F1E8u;
    uint32_t AxisColor = 0xFF9A9384u;
    uint32_t SpeakerColor = 0xFF2E6FD0u;
    uint32_t LearnerColor = 0xFFD0452Eu;

  protected:
    void Draw(Surface& target, const Rect& clip, int ox, int oy) override;

  private:
    static std::vector<uint16_t> EnvelopeOf(const TWaveVoice& voice);
    void DrawLane(Surface& target, const Rect& clip, const Rect& lane, TLane which, int spanMs) const;

    std::vector<uint16_t> envelope_[2];
};

} // namespace parlora
