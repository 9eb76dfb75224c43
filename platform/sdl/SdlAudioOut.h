#pragma once
// The one output device: 44100 Hz, 16-bit stereo, fed by our VoiceMixer from SDL's callback.
// Without a device it still keeps its promises: every voice ends after its real length.
#include "platform/Dispatcher.h"
#include "platform/Platform.h"
#include "platform/sdl/VoiceMixer.h"

#include <SDL.h>

#include <atomic>
#include <functional>
#include <map>

namespace parlora {

class SdlAudioOut : public IAudioOut {
  public:
    static constexpr int OutputRate = 44100;

    explicit SdlAudioOut(IClock& clock);
    ~SdlAudioOut() override;

    // Opens the device (the audio subsystem must be initialised); false leaves the silent mode.
    // The first failure is logged; later attempts (a device was plugged in) stay quiet.
    bool open();
    // Voices in flight go on silently and still end after their length.
    void close();
    void attach(Dispatcher& dispatcher) { dispatcher_ = &dispatcher; }

    VoiceId play(const VoiceRequest& request, std::function<void()> onEnded) override;
    void stop(VoiceId id) override;
    bool isPlaying(VoiceId id) const override;
    uint64_t framesPlayed(VoiceId id) const override;
    void setSoftwareGain(uint16_t gain) override;
    bool deviceOpen() const override { return device_ != 0; }
    SDL_AudioDeviceID deviceId() const { return device_; }

  private:
    struct Playing {
        std::function<void()> onEnded;
        // Silent mode: when it started, its length and the timer that ends it.
        uint64_t startMs = 0;
        uint64_t frames = 0;
        int rate = 44100;
        TimerId timer = 0;
    };

    static void SDLCALL callback(void* self, Uint8* stream, int len);
    // UI thread: hands out the voices the callback found finished.
    void collectFinished();
    void finish(VoiceId id);

    IClock& clock_;
    Dispatcher* dispatcher_ = nullptr;
    SDL_AudioDeviceID device_ = 0;
    VoiceMixer mixer_{OutputRate};
    uint16_t gain_ = 65535;
    std::map<VoiceId, Playing> playing_;
    VoiceId nextId_ = 1;
    std::atomic<bool> collectPosted_{false};
    bool failureLogged_ = false;
    Lifetime lifetime_;
};

} // namespace parlora
