#include "platform/sdl/SdlAudioOut.h"

#include <algorithm>
#include <array>
#include <vector>

namespace parlora {

namespace {

// Holds the device lock for a scope, so the callback never sees the mixer half-changed.
class DeviceLock {
  public:
    explicit DeviceLock(SDL_AudioDeviceID device) : device_(device) {
        if (device_) SDL_LockAudioDevice(device_);
    }
    ~DeviceLock() {
        if (device_) SDL_UnlockAudioDevice(device_);
    }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

  private:
    SDL_AudioDeviceID device_;
};

} // namespace

SdlAudioOut::SdlAudioOut(IClock& clock) : clock_(clock) {}

SdlAudioOut::~SdlAudioOut() {
    // The dispatcher may already be gone: nothing is timed any more.
    dispatcher_ = nullptr;
    close();
}

bool SdlAudioOut::open() {
    if (device_) return true;
    if (!SDL_WasInit(SDL_INIT_AUDIO)) return false;
    SDL_AudioSpec want{};
    want.freq = OutputRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 512; // short, so a click on Stop is heard to stop at once
    want.callback = &SdlAudioOut::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (!device_) {
        if (!failureLogged_)
            SDL_Log("Parlora: no sound output (%s): sounds play silently for their length", SDL_GetError());
        failureLogged_ = true;
        return false;
    }
    if (failureLogged_) SDL_Log("Parlora: sound output opened");
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SdlAudioOut::close() {
    if (!device_) return;
    SDL_CloseAudioDevice(device_); // waits for a running callback
    device_ = 0;
    // Ends the callback's posts; the voices in flight go on silently for what is left of them, so
    // whoever waits for their end still gets it.
    lifetime_.reset();
    collectPosted_ = false;
    const uint64_t now = clock_.nowMs();
    for (auto& [id, p] : playing_) {
        uint64_t done = p.timer ? (now - p.startMs) * uint64_t(p.rate) / 1000 : mixer_.framesConsumed(id);
        done = std::min(done, p.frames);
        mixer_.remove(id);
        if (p.timer && dispatcher_) dispatcher_->killTimer(p.timer);
        p.timer = 0;
        p.startMs = now - done * 1000 / uint64_t(p.rate);
        if (!dispatcher_) continue;
        const VoiceId voice = id;
        const uint64_t leftMs = (p.frames - done) * 1000 / uint64_t(p.rate);
        p.timer = dispatcher_->setTimer(
            uint32_t(std::min<uint64_t>(leftMs, UINT32_MAX)), false, [this, voice] { finish(voice); },
            lifetime_.guard());
    }
    if (!dispatcher_) playing_.clear();
}

void SDLCALL SdlAudioOut::callback(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<SdlAudioOut*>(userdata);
    const int frames = len / int(2 * sizeof(int16_t));
    int ended = self->mixer_.mix(reinterpret_cast<int16_t*>(stream), frames);
    if (ended > 0 && self->dispatcher_ && !self->collectPosted_.exchange(true)) {
        // One post for every batch of endings; the task picks up all of them.
        self->dispatcher_->postFromAnyThread(self->lifetime_.guard(), [self] { self->collectFinished(); });
    }
}

void SdlAudioOut::collectFinished() {
    collectPosted_ = false;
    std::array<VoiceId, VoiceMixer::MaxVoices> ids{};
    size_t n;
    {
        DeviceLock lock(device_);
        n = mixer_.takeFinished(ids.data(), ids.size());
    }
    for (size_t i = 0; i < n; ++i)
        finish(ids[i]);
}

void SdlAudioOut::finish(VoiceId id) {
    // A voice stopped in the meantime is no longer registered: no late end for it.
    auto it = playing_.find(id);
    if (it == playing_.end()) return;
    auto onEnded = std::move(it->second.onEnded);
    playing_.erase(it);
    if (onEnded) onEnded();
}

VoiceId SdlAudioOut::play(const VoiceRequest& request, std::function<void()> onEnded) {
    const VoiceId id = nextId_++;
    Playing p;
    p.onEnded = std::move(onEnded);
    p.startMs = clock_.nowMs();
    p.rate = request.sampleRate > 0 ? request.sampleRate : OutputRate;
    p.frames =
        (request.samples && request.channels > 0) ? request.samples->size() / size_t(request.channels) : 0;

    bool usable = request.samples && request.channels >= 1 && request.channels <= 8 && request.sampleRate > 0;
    if (device_ && usable) {
        bool added;
        {
            DeviceLock lock(device_);
            added = mixer_.add(id, request);
        }
        if (added) {
            playing_.emplace(id, std::move(p));
            return id;
        }
        // Every slot taken: this one is timed instead of heard, but it still ends.
    }
    if (!usable) p.frames = 0;
    const uint64_t lengthMs = p.frames * 1000 / uint64_t(p.rate);
    if (dispatcher_) {
        p.timer = dispatcher_->setTimer(
            uint32_t(std::min<uint64_t>(lengthMs, UINT32_MAX)), false, [this, id] { finish(id); },
            lifetime_.guard());
    }
    playing_.emplace(id, std::move(p));
    return id;
}

void SdlAudioOut::stop(VoiceId id) {
    auto it = playing_.find(id);
    if (it == playing_.end()) return;
    if (it->second.timer && dispatcher_) dispatcher_->killTimer(it->second.timer);
    playing_.erase(it);
    DeviceLock lock(device_);
    mixer_.remove(id);
}

bool SdlAudioOut::isPlaying(VoiceId id) const {
    auto it = playing_.find(id);
    if (it == playing_.end()) return false;
    if (it->second.timer) return true;
    DeviceLock lock(device_);
    return mixer_.contains(id) && !mixer_.finished(id);
}

uint64_t SdlAudioOut::framesPlayed(VoiceId id) const {
    auto it = playing_.find(id);
    if (it == playing_.end()) return 0;
    const Playing& p = it->second;
    if (p.timer) {
        const uint64_t elapsed = clock_.nowMs() - p.startMs;
        return std::min<uint64_t>(p.frames, elapsed * uint64_t(p.rate) / 1000);
    }
    DeviceLock lock(device_);
    return mixer_.framesConsumed(id);
}

void SdlAudioOut::setSoftwareGain(uint16_t gain) {
    gain_ = gain;
    DeviceLock lock(device_);
    mixer_.setGain(gain);
}

} // namespace parlora
