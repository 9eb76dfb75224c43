#pragma once
// The services course logic may use. Nothing above platform/ includes SDL or OS headers;
// each interface has a real (SDL/POSIX) and a headless implementation.
#include "core/Surface.h"
#include "platform/Clock.h"
#include "platform/Input.h"
#include "platform/Volume.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace parlora {

class Dispatcher;

struct DisplayMode {
    int width = 0, height = 0, bitsPerPixel = 32;
};

enum class WindowMode {
    MaximisedCentred,   // bordered, maximised, the 1024 x 768 content centred
    BorderlessAtOrigin, // small screens: borderless 1024 x 768 at (0, 0)
    ForcedMode          // "force": switch the display to 1024 x 768
};

class IDisplay {
  public:
    virtual ~IDisplay() = default;
    virtual DisplayMode desktopMode() const = 0;
    // False when the window (or, for ForcedMode, the mode switch) could not be made.
    virtual bool openWindow(const std::string& caption, WindowMode mode) = 0;
    virtual void closeWindow() = 0;
    virtual bool windowOpen() const = 0;
    // Shows `frame` (1024 x 768); only `dirty` needs copying.
    virtual void present(const Surface& frame, const std::vector<Rect>& dirty) = 0;
    virtual void setCursor(CursorKind kind) = 0;
    virtual void beep() = 0;
    // A message before (or without) our window: the already-running notice and start-up failures.
    virtual void showNativeMessage(const std::string& title, const std::string& text, bool error) = 0;
};

using VoiceId = uint64_t;

// One sound handed to the mixer: signed 16-bit interleaved samples at their own rate.
struct VoiceRequest {
    std::shared_ptr<const std::vector<int16_t>> samples;
    int sampleRate = 44100;
    int channels = 1;
    std::string label; // the file it came from, for logs
};

class IAudioOut {
  public:
    virtual ~IAudioOut() = default;
    // Starts a voice; `onEnded` is posted to the UI thread after its natural end and never after stop().
    virtual VoiceId play(const VoiceRequest& request, std::function<void()> onEnded) = 0;
    virtual void stop(VoiceId id) = 0;
    virtual bool isPlaying(VoiceId id) const = 0;
    // Source frames of the voice already handed to the device.
    virtual uint64_t framesPlayed(VoiceId id) const = 0;
    // Our own master gain, 0..65535, the last fallback of the volume control.
    virtual void setSoftwareGain(uint16_t gain) = 0;
    virtual bool deviceOpen() const = 0;
};

class IAudioIn {
  public:
    virtual ~IAudioIn() = default;
    // Mono 16-bit capture; `onBlock` runs on the UI thread with each full block of `blockFrames`.
    virtual bool start(int sampleRate, int blockFrames,
                       std::function<void(std::vector<int16_t>)> onBlock) = 0;
    // Stops capture and returns the samples of the unfinished block.
    virtual std::vector<int16_t> stop() = 0;
    virtual bool recording() const = 0;
};

class IShell {
  public:
    virtual ~IShell() = default;
    virtual bool openUrl(const std::string& url) = 0;
    // Whether a desktop is there to show a folder (a display or a Wayland session).
    virtual bool hasDesktop() const { return false; }
    // Shows a folder in the desktop's file manager; false when it could not be asked to.
    virtual bool openFolder(const std::string& path) { return false; }
    // Starts a program; returns a process handle or -1.
    virtual int startProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::string& folder) = 0;
    // The exit code once the program has ended.
    virtual std::optional<int> pollProgram(int handle) = 0;
    virtual std::string userFullName() const = 0;
    // The messages locale, such as "pt_BR.UTF-8", from LC_ALL, LC_MESSAGES or LANG.
    virtual std::string localeName() const = 0;
    // Mount points of disc drives (optical media), the places searched for a course disc.
    virtual std::vector<std::string> discMounts() const = 0;
};

// Where the loop waits: input from the window system, or the script in headless runs.
class IEventSource {
  public:
    virtual ~IEventSource() = default;
    // Waits at most timeoutMs (negative: no limit) for input or a wake(); appends input to `out`.
    virtual void waitEvents(int64_t timeoutMs, std::vector<InputEvent>& out) = 0;
    // Wakes a waiting waitEvents(); any thread.
    virtual void wake() = 0;
};

class IPlatform : public IEventSource {
  public:
    virtual IClock& clock() = 0;
    virtual IDisplay& display() = 0;
    virtual IAudioOut& audioOut() = 0;
    virtual IAudioIn& audioIn() = 0;
    virtual IShell& shell() = 0;
    virtual IVolume& volume() = 0;
    virtual bool headless() const = 0;
    // Waits in the middle of a handler (transitions pace their frames); headless runs move fake time.
    virtual void sleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    // Called once the dispatcher exists; device completions are posted through it.
    virtual void attach(Dispatcher& dispatcher) = 0;
    // Where the platform's own lines go (a missing sound device and the like): the debug log, on the
    // UI thread. Lines written before a sink is set are kept for it.
    virtual void setLogSink(std::function<void(const std::string&)> sink) { (void)sink; }
};

} // namespace parlora
