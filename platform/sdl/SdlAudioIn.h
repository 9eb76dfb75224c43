#pragma once
// Mono 16-bit capture from SDL's default recording device. The device thread only appends and
// posts; blocks are cut and handed out on the UI thread. Without a device the recording is
// silence at the real rate (said once in the log), so the practice screens go on.
#include "platform/Dispatcher.h"
#include "platform/Platform.h"

#include <SDL.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace parlora {

class SdlAudioIn : public IAudioIn {
  public:
    SdlAudioIn() = default;
    ~SdlAudioIn() override;

    void attach(Dispatcher& dispatcher) { dispatcher_ = &dispatcher; }

    // Starting again while recording restarts from nothing; the old session's blocks are dropped.
    bool start(int sampleRate, int blockFrames, std::function<void(std::vector<int16_t>)> onBlock) override;
    // Everything captured but not yet handed out (normally less than one block).
    std::vector<int16_t> stop() override;
    bool recording() const override { return device_ != 0 || silentTimer_ != 0; }

  private:
    static void SDLCALL callback(void* self, Uint8* stream, int len);
    void deliver(uint64_t session);
    void closeDevice();
    bool startSilent(int sampleRate, int blockFrames);

    Dispatcher* dispatcher_ = nullptr;
    SDL_AudioDeviceID device_ = 0;
    int blockFrames_ = 0;
    std::function<void(std::vector<int16_t>)> onBlock_;
    std::mutex mutex_;
    std::vector<int16_t> buffer_; // guarded by mutex_
    size_t cutUpTo_ = 0;          // UI thread: samples of buffer_ already handed out
    std::atomic<uint64_t> session_{0};
    std::atomic<bool> deliverPosted_{false};
    TimerId silentTimer_ = 0;
    bool failureLogged_ = false;
    Lifetime lifetime_;
};

} // namespace parlora
