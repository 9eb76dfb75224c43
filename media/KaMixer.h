#pragma once
// The screens' volume slider: the master playback volume through the platform's volume control,
// with a notice whenever the volume changes, whoever changed it.
#include "platform/Volume.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace parlora {

class TKaMixer {
  public:
    using TKaMixerEvent = std::function<void(uint32_t id)>;
    using TMessageEvent = std::function<void(const std::string& text)>;

    // The identifier of the one control we drive, as reported by OpenMixer and OnControlChange.
    static constexpr uint32_t VolumeControlId = 1;
    static constexpr uint32_t NoLine = 0xFFFFFFFFu;

    explicit TKaMixer(IVolume& volume);
    ~TKaMixer();
    TKaMixer(const TKaMixer&) = delete;
    TKaMixer& operator=(const TKaMixer&) = delete;

    // The first call opens the volume control, raises OnLineChange(NoLine) and
    // OnControlChange(VolumeControlId) and returns the identifier; later calls only return it.
    // Fails with MixException "Playback mixer not found".
    uint32_t OpenMixer();
    bool IsOpen() const { return volume_.isOpen(); }
    // Both open the control on first use, so a screen may set the volume without a slider.
    void SetVolume(uint16_t value);
    uint16_t GetVolume();

    // Starts the desktop's volume program. Without one, a recording request shows the message
    // through OnMessage; returns whether a program was started.
    bool ShowVolumeControl(bool recording);

    TKaMixerEvent OnLineChange;
    TKaMixerEvent OnControlChange;
    TMessageEvent OnMessage;

  private:
    void Ensure();

    IVolume& volume_;
    bool opened_ = false;
    bool announced_ = false;
    // Change notices may outlive us inside the volume control; they check this first.
    std::shared_ptr<TKaMixer*> self_;
};

} // namespace parlora
