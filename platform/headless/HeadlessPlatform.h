#pragma once
// The headless backend: fake time, a virtual framebuffer and scripted input. Tests and
// `parlora --headless --script=FILE` run on it as fast as the CPU allows.
#include "platform/Dispatcher.h"
#include "platform/Platform.h"
#include "platform/PosixShell.h"

#include <chrono>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace parlora {

// What a script needs from the program it drives.
class IScriptHost {
  public:
    virtual ~IScriptHost() = default;
    virtual std::string currentScreenClass() const = 0;
    virtual void queueDialogAnswer(const std::string& button) = 0;
};

struct AudioLogEntry {
    uint64_t startMs = 0;
    std::string label;
    uint64_t lengthMs = 0;
    bool stopped = false;
    uint64_t endMs = 0;
};

class HeadlessDisplay : public IDisplay {
  public:
    DisplayMode desktopMode() const override { return mode_; }
    bool openWindow(const std::string& caption, WindowMode mode) override;
    void closeWindow() override { open_ = false; }
    bool windowOpen() const override { return open_; }
    void present(const Surface& frame, const std::vector<Rect>& dirty) override;
    void setCursor(CursorKind kind) override { cursor_ = kind; }
    void beep() override { ++beeps_; }
    void showNativeMessage(const std::string& title, const std::string& text, bool error) override;

    void setDesktopMode(DisplayMode m) { mode_ = m; }
    const Surface& framebuffer() const { return framebuffer_; }
    CursorKind cursor() const { return cursor_; }
    int beeps() const { return beeps_; }
    int presents() const { return presents_; }
    WindowMode windowMode() const { return windowMode_; }
    const std::vector<std::string>& nativeMessages() const { return messages_; }

  private:
    DisplayMode mode_{1280, 1024, 32};
    bool open_ = false;
    WindowMode windowMode_ = WindowMode::MaximisedCentred;
    Surface framebuffer_{1024, 768};
    CursorKind cursor_ = CursorKind::Arrow;
    int beeps_ = 0, presents_ = 0;
    std::vector<std::string> messages_;
};

class HeadlessAudioOut : public IAudioOut {
  public:
    explicit HeadlessAudioOut(IClock& clock) : clock_(clock) {}
    void attach(Dispatcher& d) { dispatcher_ = &d; }
    VoiceId play(const VoiceRequest& request, std::function<void()> onEnded) override;
    void stop(VoiceId id) override;
    bool isPlaying(VoiceId id) const override { return voices_.count(id) != 0; }
    uint64_t framesPlayed(VoiceId id) const override;
    void setSoftwareGain(uint16_t gain) override { gain_ = gain; }
    bool deviceOpen() const override { return true; }

    uint16_t gain() const { return gain_; }
    const std::vector<AudioLogEntry>& log() const { return log_; }

  private:
    struct Voice {
        uint64_t start, frames;
        int rate;
        TimerId timer;
        size_t logIndex;
    };
    IClock& clock_;
    Dispatcher* dispatcher_ = nullptr;
    std::map<VoiceId, Voice> voices_;
    VoiceId next_ = 1;
    uint16_t gain_ = 65535;
    std::vector<AudioLogEntry> log_;
};

// Yields blocks of a quiet 440 Hz tone every block's length of fake time.
class HeadlessAudioIn : public IAudioIn {
  public:
    void attach(Dispatcher& d) { dispatcher_ = &d; }
    bool start(int sampleRate, int blockFrames, std::function<void(std::vector<int16_t>)> onBlock) override;
    std::vector<int16_t> stop() override;
    bool recording() const override { return timer_ != 0; }

    // Faults of a real microphone, for tests: none at all (start fails), or one that goes quiet
    // for good once `ms` of sound have been captured (-1: never), as an unplugged device does.
    void setMissing(bool missing) { missing_ = missing; }
    void setVanishAfterMs(int ms) { vanishAfterMs_ = ms; }

  private:
    Dispatcher* dispatcher_ = nullptr;
    TimerId timer_ = 0;
    uint64_t produced_ = 0;
    int rate_ = 44100;
    bool missing_ = false;
    int vanishAfterMs_ = -1;
};

class HeadlessShell : public IShell {
  public:
    bool openUrl(const std::string& url) override;
    // Nothing is ever opened: tests set a desktop to see the offer, and read openedFolders().
    bool hasDesktop() const override { return desktop_; }
    bool openFolder(const std::string& path) override;
    int startProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::string& folder) override;
    std::optional<int> pollProgram(int handle) override;
    std::string userFullName() const override { return userName_; }
    std::string localeName() const override { return locale_; }
    std::vector<std::string> discMounts() const override;

    void setUserFullName(std::string n) { userName_ = std::move(n); }
    void setLocaleName(std::string l) { locale_ = std::move(l); }
    void setDiscMounts(std::vector<std::string> m) { discs_ = std::move(m); }
    const std::vector<std::string>& openedUrls() const { return urls_; }
    void setDesktop(bool on) { desktop_ = on; }
    const std::vector<std::string>& openedFolders() const { return folders_; }
    // Tests of helper programs run them for real; otherwise none can start.
    void runPrograms(bool on) { runPrograms_ = on; }

  private:
    bool runPrograms_ = false;
    PosixShell programs_;
    std::string userName_ = "Test User";
    std::string locale_ = "en_GB.UTF-8";
    std::vector<std::string> discs_;
    std::vector<std::string> urls_;
    std::vector<std::string> folders_;
    bool desktop_ = false;
};

class HeadlessVolume : public IVolume {
  public:
    bool open() override { return open_ = true; }
    bool isOpen() const override { return open_; }
    uint16_t get() const override { return value_; }
    void set(uint16_t value) override;
    void setOnChange(std::function<void(uint16_t)> onChange) override { onChange_ = std::move(onChange); }
    bool showControlProgram() override { return false; }

  private:
    bool open_ = false;
    uint16_t value_ = 52428;
    std::function<void(uint16_t)> onChange_;
};

class HeadlessPlatform : public IPlatform {
  public:
    HeadlessPlatform();
    FakeClock& fakeClock() { return clock_; }
    IClock& clock() override { return clock_; }
    IDisplay& display() override { return display_; }
    HeadlessDisplay& headlessDisplay() { return display_; }
    IAudioOut& audioOut() override { return audioOut_; }
    HeadlessAudioOut& headlessAudioOut() { return audioOut_; }
    IAudioIn& audioIn() override { return audioIn_; }
    IShell& shell() override { return shell_; }
    HeadlessShell& headlessShell() { return shell_; }
    IVolume& volume() override { return volume_; }
    bool headless() const override { return true; }
    void sleepMs(uint32_t ms) override { clock_.advance(ms); }
    void attach(Dispatcher& dispatcher) override;

    // The script runs whenever the program waits for input.
    bool loadScript(const std::string& path, std::string& error);
    void setScriptLines(std::vector<std::string> lines);
    void setScriptHost(IScriptHost* host) { host_ = host; }
    bool scriptFailed() const { return failed_; }
    // Once the course has ended: the first script line not run to its end (a wait or a drag cut
    // short counts), or 0 when nothing but blanks and comments was left.
    size_t lineNotRun() const;
    // Scripted input: drives the program when it is idle.
    void waitEvents(int64_t timeoutMs, std::vector<InputEvent>& out) override;
    void wake() override {}

  private:
    // One input event of a drag, sent once its share of the drag's time has passed.
    struct Step {
        uint32_t afterMs;
        InputEvent event;
    };

    void fail(const std::string& why);
    void startWait(uint64_t ms);
    // An await line: waits in real time for something from outside; meanwhile virtual time keeps
    // pace with real time (never beyond the next timer), as it would for a learner watching.
    void pollAwait(int64_t timeoutMs);
    void runScriptLine(const std::string& line, std::vector<InputEvent>& out);
    void queueDrag(int x1, int y1, int x2, int y2, int ms);

    FakeClock clock_;
    HeadlessDisplay display_;
    HeadlessAudioOut audioOut_{clock_};
    HeadlessAudioIn audioIn_;
    HeadlessShell shell_;
    HeadlessVolume volume_;
    Dispatcher* dispatcher_ = nullptr;
    IScriptHost* host_ = nullptr;
    std::vector<std::string> script_;
    size_t nextLine_ = 0;    // lines begun so far; the one running is nextLine_ (counted from 1)
    std::deque<Step> steps_; // the rest of a drag, run before the next line
    bool waiting_ = false;
    uint64_t waitUntil_ = 0;
    bool failed_ = false;
    bool finished_ = false;
    enum class Await { None, Screen, End, Pause };
    Await await_ = Await::None;
    std::string awaitScreen_;
    std::string awaitLine_;
    std::chrono::steady_clock::time_point awaitDeadline_, awaitTick_;
    int64_t awaitCarryUs_ = 0;
};

} // namespace parlora
