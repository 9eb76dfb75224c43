#pragma once
// The master volume as ALSA's simple mixer element "Master" of the default card. ALSA's events
// are read by a UI-thread timer, so changes by other programs are noticed within a moment.
#include "platform/Dispatcher.h"
#include "platform/Volume.h"

#include <alsa/asoundlib.h>

#include <functional>
#include <string>

namespace parlora {

class AlsaVolume : public IVolume {
  public:
    explicit AlsaVolume(Dispatcher& dispatcher, std::string card = "default", uint32_t pollMs = 250);
    ~AlsaVolume() override;
    AlsaVolume(const AlsaVolume&) = delete;
    AlsaVolume& operator=(const AlsaVolume&) = delete;

    // False, with nothing left open, when the card has no playback "Master" volume.
    bool open() override;
    bool isOpen() const override { return mixer_ != nullptr; }
    uint16_t get() const override { return value_; }
    // The change notice follows at once, as our own change is not reported back to us.
    void set(uint16_t value) override;
    void setOnChange(std::function<void(uint16_t)> onChange) override { onChange_ = std::move(onChange); }
    bool showControlProgram() override;

    // Element range <-> 0..65535.
    static uint16_t Scale(long v, long min, long max);
    static long Unscale(uint16_t v, long min, long max);

  private:
    void poll();
    uint16_t read() const;
    void close();

    Dispatcher& dispatcher_;
    std::string card_;
    uint32_t pollMs_;
    Lifetime lifetime_;
    snd_mixer_t* mixer_ = nullptr;
    snd_mixer_elem_t* elem_ = nullptr;
    long min_ = 0, max_ = 0;
    uint16_t value_ = 0;
    TimerId timer_ = 0;
    std::function<void(uint16_t)> onChange_;
};

} // namespace parlora
