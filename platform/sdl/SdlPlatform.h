#pragma once
// The real platform: SDL2 for window, input and sound, POSIX for the shell services.
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/PosixShell.h"
#include "platform/sdl/SdlAudioIn.h"
#include "platform/sdl/SdlAudioOut.h"
#include "platform/sdl/SdlDisplay.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace parlora {

class SdlPlatform : public IPlatform {
  public:
    // Starts SDL. A missing display or sound device is not an error here: the window then
    // cannot open and sounds play silently. Throws AppError when SDL cannot start at all.
    SdlPlatform();
    ~SdlPlatform() override;
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

    IClock& clock() override { return clock_; }
    IDisplay& display() override { return *display_; }
    IAudioOut& audioOut() override { return *audioOut_; }
    IAudioIn& audioIn() override { return *audioIn_; }
    IShell& shell() override { return shell_; }
    IVolume& volume() override { return *volume_; }
    bool headless() const override { return false; }
    void attach(Dispatcher& dispatcher) override;
    void setLogSink(std::function<void(const std::string&)> sink) override;

    void waitEvents(int64_t timeoutMs, std::vector<InputEvent>& out) override;
    void wake() override;

    // A better volume control (system mixer) replaces the software gain.
    void setVolume(std::unique_ptr<IVolume> volume);
    SdlDisplay& sdlDisplay() { return *display_; }
    SdlAudioOut& sdlAudioOut() { return *audioOut_; }
    // Drops the input SDL still holds (after a screen change, with Dispatcher::discardInput).
    void discardPendingInput();

  private:
    void handle(const SDL_Event& e, std::vector<InputEvent>& out);
    // SDL's log output, from any thread: kept for the sink instead of going to stderr.
    static void SDLCALL CollectLog(void* self, int category, SDL_LogPriority priority, const char* message);
    void DeliverLog();

    SystemClock clock_;
    PosixShell shell_;
    std::unique_ptr<SdlAudioOut> audioOut_;
    std::unique_ptr<SdlAudioIn> audioIn_;
    std::unique_ptr<SdlDisplay> display_;
    std::unique_ptr<IVolume> volume_;
    Uint32 wakeEvent_ = 0;
    std::atomic<bool> wakePending_{false};
    std::mutex logMutex_;
    std::vector<std::string> pendingLog_;
    std::function<void(const std::string&)> logSink_;
    SDL_LogOutputFunction previousLog_ = nullptr;
    void* previousLogData_ = nullptr;
};

} // namespace parlora
