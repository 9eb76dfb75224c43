#pragma once
// The last fallback of the volume control: our own mixer's gain. No other program can change it,
// so the only change notices are those of our own set().
#include "platform/Platform.h"
#include "platform/Volume.h"

#include <functional>

namespace parlora {

class SoftwareVolume : public IVolume {
  public:
    explicit SoftwareVolume(IAudioOut& audio, uint16_t initial = 65535);

    bool open() override { return true; }
    bool isOpen() const override { return true; }
    uint16_t get() const override { return value_; }
    // Applies the gain; the change notice follows at once, as the handlers run on the UI thread anyway.
    void set(uint16_t value) override;
    void setOnChange(std::function<void(uint16_t)> onChange) override { onChange_ = std::move(onChange); }
    bool showControlProgram() override { return false; }

  private:
    IAudioOut& audio_;
    uint16_t value_;
    std::function<void(uint16_t)> onChange_;
};

} // namespace parlora
