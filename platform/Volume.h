#pragma once
#include <cstdint>
#include <functional>

namespace parlora {

// The master playback volume, 0..65535.
class IVolume {
  public:
    virtual ~IVolume() = default;
    virtual bool open() = 0;
    virtual bool isOpen() const = 0;
    virtual uint16_t get() const = 0;
    virtual void set(uint16_t value) = 0;
    // Called on the UI thread when the volume changes, also when another program changed it.
    virtual void setOnChange(std::function<void(uint16_t)> onChange) = 0;
    // Starts the desktop's volume program; false when there is none.
    virtual bool showControlProgram() = 0;
};

} // namespace parlora
