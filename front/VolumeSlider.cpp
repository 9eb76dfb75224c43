#include "front/VolumeSlider.h"

#include "display/DIBImage.h"

#include <algorithm>

namespace parlora {

TVolumeSlider::TVolumeSlider(IVolume& volume, int trackMin, int trackMax)
    : mixer_(volume), min_(trackMin), max_(trackMax) {}

int TVolumeSlider::Left(uint16_t volume, int trackMin, int trackMax) {
    return int(volume) * (trackMax - trackMin) / 65535 + trackMin;
}

uint16_t TVolumeSlider::Volume(int left, int trackMin, int trackMax) {
    left = std::clamp(left, trackMin, trackMax);
    return uint16_t((left - trackMin) * 65535 / (trackMax - trackMin));
}

void TVolumeSlider::Attach(TDIBImage& knob, Log log, std::function<void()> released) {
    knob_ = &knob;
    log_ = std::move(log);
    released_ = std::move(released);
    knob.OnMouseDown = [this](TCustomDIBControl&, MouseButton b, int x, int) { Down(b, x); };
    knob.OnMouseMove = [this](TCustomDIBControl&, int x, int) { Move(x); };
    knob.OnMouseUp = [this](TCustomDIBControl&, MouseButton b, int, int) { Up(b); };
}

void TVolumeSlider::Open(bool placeKnob) {
    mixer_.OnControlChange = [this](uint32_t) { PlaceKnob(); };
    try {
        mixer_.OpenMixer();
        if (placeKnob) PlaceKnob();
    } catch (const std::exception& e) {
        if (log_) log_(std::string("Volume slider hidden: ") + e.what());
        if (knob_) knob_->SetVisible(false);
    }
}

void TVolumeSlider::Down(MouseButton b, int x) {
    if (b != MouseButton::Left) return;
    sliding_ = true;
    pressX_ = x;
}

void TVolumeSlider::Move(int x) {
    if (!sliding_ || !knob_) return;
    // x is relative to the knob where it stands now, so this is where the pressed point has gone.
    int position = knob_->Left() + x - pressX_;
    try {
        mixer_.SetVolume(Volume(position, min_, max_));
    } catch (const std::exception& e) {
        if (log_) log_(std::string("Volume not set: ") + e.what());
    }
}

void TVolumeSlider::Up(MouseButton b) {
    if (b != MouseButton::Left || !sliding_) return;
    sliding_ = false;
    if (released_) released_();
}

void TVolumeSlider::PlaceKnob() {
    if (!knob_) return;
    try {
        knob_->SetLeft(Left(mixer_.GetVolume(), min_, max_));
    } catch (const std::exception& e) {
        if (log_) log_(std::string("Volume not read: ") + e.what());
    }
}

} // namespace parlora
