#include "platform/sdl/AlsaVolume.h"

#include "platform/sdl/PulseVolume.h"

#include <algorithm>

namespace parlora {

AlsaVolume::AlsaVolume(Dispatcher& dispatcher, std::string card, uint32_t pollMs)
    : dispatcher_(dispatcher), card_(std::move(card)), pollMs_(std::max<uint32_t>(pollMs, 10)) {}

AlsaVolume::~AlsaVolume() {
    close();
}

uint16_t AlsaVolume::Scale(long v, long min, long max) {
    if (max <= min) return 0;
    v = std::clamp(v, min, max);
    return uint16_t((int64_t(v) - min) * 65535 / (int64_t(max) - min));
}

long AlsaVolume::Unscale(uint16_t v, long min, long max) {
    if (max <= min) return min;
    return long(min + (int64_t(v) * (int64_t(max) - min) + 32767) / 65535);
}

bool AlsaVolume::open() {
    if (mixer_) return true;
    if (snd_mixer_open(&mixer_, 0) < 0) {
        mixer_ = nullptr;
        return false;
    }
    snd_mixer_selem_id_t* sid = nullptr;
    snd_mixer_selem_id_alloca(&sid);
    snd_mixer_selem_id_set_index(sid, 0);
    snd_mixer_selem_id_set_name(sid, "Master");
    if (snd_mixer_attach(mixer_, card_.c_str()) < 0 ||
        snd_mixer_selem_register(mixer_, nullptr, nullptr) < 0 || snd_mixer_load(mixer_) < 0 ||
        !(elem_ = snd_mixer_find_selem(mixer_, sid)) || !snd_mixer_selem_has_playback_volume(elem_) ||
        snd_mixer_selem_get_playback_volume_range(elem_, &min_, &max_) < 0 || max_ <= min_) {
        close();
        return false;
    }
    value_ = read();
    timer_ = dispatcher_.setTimer(
        pollMs_, true, [this] { poll(); }, lifetime_.guard());
    return true;
}

void AlsaVolume::close() {
    lifetime_.reset();
    if (timer_) dispatcher_.killTimer(timer_);
    timer_ = 0;
    if (mixer_) snd_mixer_close(mixer_);
    mixer_ = nullptr;
    elem_ = nullptr;
}

uint16_t AlsaVolume::read() const {
    long v = 0;
    if (!elem_ || snd_mixer_selem_get_playback_volume(elem_, SND_MIXER_SCHN_FRONT_LEFT, &v) < 0)
        return value_;
    return Scale(v, min_, max_);
}

void AlsaVolume::poll() {
    if (!mixer_) return;
    // Takes the card's pending change events without blocking.
    snd_mixer_handle_events(mixer_);
    uint16_t v = read();
    if (v == value_) return;
    value_ = v;
    if (onChange_) onChange_(v);
}

void AlsaVolume::set(uint16_t value) {
    if (!mixer_) return;
    snd_mixer_selem_set_playback_volume_all(elem_, Unscale(value, min_, max_));
    snd_mixer_handle_events(mixer_);
    // What the card took, which may be a step of its own.
    value_ = read();
    if (onChange_) onChange_(value_);
}

bool AlsaVolume::showControlProgram() {
    return PulseVolume::StartControlProgram();
}

} // namespace parlora
