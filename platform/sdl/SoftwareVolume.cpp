#include "platform/sdl/SoftwareVolume.h"

namespace parlora {

SoftwareVolume::SoftwareVolume(IAudioOut& audio, uint16_t initial) : audio_(audio), value_(initial) {
    audio_.setSoftwareGain(value_);
}

void SoftwareVolume::set(uint16_t value) {
    if (value == value_) return;
    value_ = value;
    audio_.setSoftwareGain(value_);
    if (onChange_) onChange_(value_);
}

} // namespace parlora
