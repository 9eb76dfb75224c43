#include "media/KaMixer.h"

#include "core/Errors.h"

namespace parlora {

TKaMixer::TKaMixer(IVolume& volume) : volume_(volume), self_(std::make_shared<TKaMixer*>(this)) {}

TKaMixer::~TKaMixer() {
    *self_ = nullptr;
}

void TKaMixer::Ensure() {
    if (!volume_.isOpen() && !volume_.open()) throw MixException("Playback mixer not found");
    if (opened_) return;
    opened_ = true;
    // The volume control keeps one listener; a newer mixer takes it over, a dead one ignores it.
    std::weak_ptr<TKaMixer*> weak = self_;
    volume_.setOnChange([weak](uint16_t) {
        auto self = weak.lock();
        if (!self || !*self) return;
        TKaMixer& mixer = **self;
        if (mixer.OnControlChange) mixer.OnControlChange(VolumeControlId);
    });
}

uint32_t TKaMixer::OpenMixer() {
    Ensure();
    if (!announced_) {
        announced_ = true;
        if (OnLineChange) OnLineChange(NoLine);
        if (OnControlChange) OnControlChange(VolumeControlId);
    }
    return VolumeControlId;
}

void TKaMixer::SetVolume(uint16_t value) {
    Ensure();
    volume_.set(value);
}

uint16_t TKaMixer::GetVolume() {
    Ensure();
    return volume_.get();
}

bool TKaMixer::ShowVolumeControl(bool recording) {
    if (volume_.showControlProgram()) return true;
    if (recording && OnMessage) OnMessage("Please use Recording Devices on Taskbar.");
    return false;
}

} // namespace parlora
