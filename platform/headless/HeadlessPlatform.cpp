#include "platform/headless/HeadlessPlatform.h"

#include <algorithm>

#include "core/ProfileFile.h"
#include "core/StringUtil.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

namespace parlora {

bool HeadlessDisplay::openWindow(const std::string&, WindowMode mode) {
    open_ = true;
    windowMode_ = mode;
    return true;
}

void HeadlessDisplay::present(const Surface& frame, const std::vector<Rect>& dirty) {
    ++presents_;
    if (dirty.empty() || framebuffer_.width() != frame.width() || framebuffer_.height() != frame.height()) {
        framebuffer_ = frame;
        return;
    }
    for (const Rect& r : dirty) {
        Rect c = r.intersect(frame.bounds());
        for (int y = c.y; y < c.bottom(); ++y)
            std::copy(frame.row(y) + c.x, frame.row(y) + c.right(), framebuffer_.row(y) + c.x);
    }
}

void HeadlessDisplay::showNativeMessage(const std::string&, const std::string& text, bool) {
    messages_.push_back(text);
    std::fprintf(stderr, "Parlora: %s\n", text.c_str());
}

VoiceId HeadlessAudioOut::play(const VoiceRequest& request, std::function<void()> onEnded) {
    VoiceId id = next_++;
    int channels = std::max(1, request.channels);
    int rate = std::max(1, request.sampleRate);
    uint64_t frames = request.samples ? request.samples->size() / size_t(channels) : 0;
    uint64_t lengthMs = (frames * 1000 + uint64_t(rate) - 1) / uint64_t(rate);
    log_.push_back({clock_.nowMs(), request.label, lengthMs, false, clock_.nowMs() + lengthMs});
    size_t logIndex = log_.size() - 1;
    TimerId timer = 0;
    if (dispatcher_) {
        timer = dispatcher_->setTimer(uint32_t(lengthMs), false, [this, id, onEnded] {
            auto it = voices_.find(id);
            if (it == voices_.end()) return;
            voices_.erase(it);
            // The end is posted, as a device's completion would be.
            if (onEnded) dispatcher_->post(onEnded);
        });
    }
    voices_[id] = Voice{clock_.nowMs(), frames, rate, timer, logIndex};
    return id;
}

void HeadlessAudioOut::stop(VoiceId id) {
    auto it = voices_.find(id);
    if (it == voices_.end()) return;
    if (dispatcher_) dispatcher_->killTimer(it->second.timer);
    log_[it->second.logIndex].stopped = true;
    log_[it->second.logIndex].endMs = clock_.nowMs();
    voices_.erase(it);
}

uint64_t HeadlessAudioOut::framesPlayed(VoiceId id) const {
    auto it = voices_.find(id);
    if (it == voices_.end()) return 0;
    uint64_t elapsed = clock_.nowMs() - it->second.start;
    return std::min(it->second.frames, elapsed * uint64_t(it->second.rate) / 1000);
}

bool HeadlessAudioIn::start(int sampleRate, int blockFrames,
                            std::function<void(std::vector<int16_t>)> onBlock) {
    if (!dispatcher_ || blockFrames <= 0 || sampleRate <= 0 || missing_) return false;
    stop();
    rate_ = sampleRate;
    produced_ = 0;
    uint32_t blockMs = uint32_t(uint64_t(blockFrames) * 1000 / uint64_t(sampleRate));
    timer_ = dispatcher_->setTimer(std::max<uint32_t>(blockMs, 1), true, [this, blockFrames, onBlock] {
        if (vanishAfterMs_ >= 0 && produced_ * 1000 >= uint64_t(vanishAfterMs_) * uint64_t(rate_)) return;
        std::vector<int16_t> block(static_cast<size_t>(blockFrames));
        for (auto& s : block) {
            s = int16_t(3000 * std::sin(2 * M_PI * 440.0 * double(produced_) / rate_));
            ++produced_;
        }
        onBlock(std::move(block));
    });
    return true;
}

std::vector<int16_t> HeadlessAudioIn::stop() {
    if (timer_ && dispatcher_) dispatcher_->killTimer(timer_);
    timer_ = 0;
    return {};
}

bool HeadlessShell::openUrl(const std::string& url) {
    urls_.push_back(url);
    return true;
}

bool HeadlessShell::openFolder(const std::string& path) {
    if (!desktop_) return false;
    folders_.push_back(path);
    return true;
}

int HeadlessShell::startProgram(const std::string& program, const std::vector<std::string>& args,
                                const std::string& folder) {
    if (runPrograms_) return programs_.startProgram(program, args, folder);
    return -1; // headless runs start no other programs
}

std::optional<int> HeadlessShell::pollProgram(int handle) {
    if (runPrograms_) return programs_.pollProgram(handle);
    return -1;
}

std::vector<std::string> HeadlessShell::discMounts() const {
    return discs_;
}

void HeadlessVolume::set(uint16_t value) {
    value_ = value;
    if (onChange_) onChange_(value);
}

HeadlessPlatform::HeadlessPlatform() {
    // Tests of the disc search name their fake disc drives here.
    if (const char* discs = std::getenv("PARLORA_DISC_MOUNTS"))
        if (*discs) shell_.setDiscMounts(Split(discs, ':'));
    if (const char* lang = std::getenv("LANG")) shell_.setLocaleName(lang);
}

void HeadlessPlatform::attach(Dispatcher& dispatcher) {
    dispatcher_ = &dispatcher;
    audioOut_.attach(dispatcher);
    audioIn_.attach(dispatcher);
}

bool HeadlessPlatform::loadScript(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "Cannot read script " + path;
        return false;
    }
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    setScriptLines(std::move(lines));
    return true;
}

void HeadlessPlatform::setScriptLines(std::vector<std::string> lines) {
    script_ = std::move(lines);
    nextLine_ = 0;
    steps_.clear();
    waiting_ = false;
    finished_ = false;
    failed_ = false;
}

static bool Significant(const std::string& raw) {
    std::string line = Trim(raw);
    return !line.empty() && line[0] != '#';
}

size_t HeadlessPlatform::lineNotRun() const {
    if (finished_) return 0;
    // The end it waited for has come.
    if (await_ == Await::End) {
        for (size_t i = nextLine_; i < script_.size(); ++i)
            if (Significant(script_[i])) return i + 1;
        return 0;
    }
    bool cutShort = !steps_.empty() || (waiting_ && clock_.nowMs() < waitUntil_);
    if (cutShort && nextLine_ > 0) return nextLine_;
    for (size_t i = nextLine_; i < script_.size(); ++i)
        if (Significant(script_[i])) return i + 1;
    return 0;
}

void HeadlessPlatform::fail(const std::string& why) {
    std::fprintf(stderr, "script line %zu failed: %s\n", nextLine_, why.c_str());
    failed_ = true;
    finished_ = true;
    if (dispatcher_) dispatcher_->quit(1);
}

void HeadlessPlatform::startWait(uint64_t ms) {
    waiting_ = true;
    waitUntil_ = clock_.nowMs() + ms;
}

// Exactly `count` whole numbers separated by blanks.
static std::optional<std::vector<int>> Numbers(const std::string& arg, size_t count) {
    std::istringstream is(arg);
    std::vector<int> numbers;
    for (std::string word; is >> word;) {
        auto n = ParseInt(word);
        if (!n) return std::nullopt;
        numbers.push_back(int(*n));
    }
    if (numbers.size() != count) return std::nullopt;
    return numbers;
}

static InputEvent Mouse(InputEvent::Kind kind, int x, int y) {
    InputEvent e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    e.button = MouseButton::Left;
    return e;
}

void HeadlessPlatform::queueDrag(int x1, int y1, int x2, int y2, int ms) {
    // A move every 20 ms or so, so that timers and the screen see the way between; a very long
    // drag moves less often rather than queueing without end.
    constexpr int kStepMs = 20, kMostMoves = 500;
    int moves = std::clamp((ms + kStepMs - 1) / kStepMs, 1, kMostMoves);
    int64_t doneMs = 0;
    for (int i = 1; i <= moves; ++i) {
        int64_t atMs = int64_t(ms) * i / moves;
        int x = int(x1 + (int64_t(x2) - x1) * i / moves);
        int y = int(y1 + (int64_t(y2) - y1) * i / moves);
        steps_.push_back({uint32_t(atMs - doneMs), Mouse(InputEvent::Kind::MouseMove, x, y)});
        doneMs = atMs;
    }
    steps_.push_back({0, Mouse(InputEvent::Kind::MouseUp, x2, y2)});
}

static std::string KeyName(const std::string& name) {
    // Accept the usual spellings in scripts.
    if (IEquals(name, "Enter") || IEquals(name, "Return")) return "Return";
    if (IEquals(name, "Backspace")) return "BackSpace";
    if (IEquals(name, "Esc")) return "Escape";
    return name;
}

void HeadlessPlatform::runScriptLine(const std::string& raw, std::vector<InputEvent>& out) {
    std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') return;
    size_t sp = line.find(' ');
    std::string cmd = ToLowerAscii(line.substr(0, sp));
    std::string arg = sp == std::string::npos ? "" : Trim(line.substr(sp + 1));
    if (cmd == "click" || cmd == "dblclick" || cmd == "rclick") {
        std::istringstream is(arg);
        int x, y;
        if (!(is >> x >> y)) return fail("click needs X Y: " + line);
        InputEvent e;
        e.x = x;
        e.y = y;
        e.kind = InputEvent::Kind::MouseMove;
        out.push_back(e);
        e.button = cmd == "rclick" ? MouseButton::Right : MouseButton::Left;
        int presses = cmd == "dblclick" ? 2 : 1;
        for (int i = 1; i <= presses; ++i) {
            e.clicks = i;
            e.kind = InputEvent::Kind::MouseDown;
            out.push_back(e);
            e.kind = InputEvent::Kind::MouseUp;
            out.push_back(e);
        }
    } else if (cmd == "wheel") {
        auto v = Numbers(arg, 3);
        if (!v) return fail("wheel needs X Y NOTCHES (up positive): " + line);
        InputEvent e = Mouse(InputEvent::Kind::MouseMove, (*v)[0], (*v)[1]);
        out.push_back(e);
        e.kind = InputEvent::Kind::Wheel;
        e.wheel = (*v)[2];
        out.push_back(e);
    } else if (cmd == "move") {
        std::istringstream is(arg);
        InputEvent e;
        if (!(is >> e.x >> e.y)) return fail("move needs X Y: " + line);
        out.push_back(e);
    } else if (cmd == "down" || cmd == "up") {
        auto at = Numbers(arg, 2);
        if (!at) return fail(cmd + " needs X Y: " + line);
        int x = (*at)[0], y = (*at)[1];
        out.push_back(Mouse(InputEvent::Kind::MouseMove, x, y));
        out.push_back(Mouse(cmd == "down" ? InputEvent::Kind::MouseDown : InputEvent::Kind::MouseUp, x, y));
    } else if (cmd == "drag") {
        auto v = Numbers(arg, 5);
        if (!v || (*v)[4] < 0) return fail("drag needs X1 Y1 X2 Y2 MS: " + line);
        const std::vector<int>& n = *v;
        out.push_back(Mouse(InputEvent::Kind::MouseMove, n[0], n[1]));
        out.push_back(Mouse(InputEvent::Kind::MouseDown, n[0], n[1]));
        queueDrag(n[0], n[1], n[2], n[3], n[4]);
    } else if (cmd == "wait") {
        auto ms = ParseInt(arg);
        if (!ms || *ms < 0) return fail("wait needs milliseconds: " + line);
        startWait(uint64_t(*ms));
    } else if (cmd == "type") {
        InputEvent e;
        e.kind = InputEvent::Kind::Text;
        e.text = arg;
        out.push_back(e);
    } else if (cmd == "key") {
        if (arg.empty()) return fail("key needs a name");
        InputEvent e;
        e.kind = InputEvent::Kind::KeyDown;
        e.key = KeyName(arg);
        out.push_back(e);
        e.kind = InputEvent::Kind::KeyUp;
        out.push_back(e);
    } else if (cmd == "shot") {
        if (arg.empty()) return fail("shot needs a file name");
        // Written beside its name and renamed into place: a reader polling for the shot never
        // finds half a picture.
        try {
            if (!WriteFileAtomically(arg, display_.framebuffer().encodePng()))
                return fail("Cannot write picture " + arg + ": " + std::strerror(errno));
        } catch (const std::exception& ex) {
            return fail(ex.what());
        }
    } else if (cmd == "expect-screen") {
        std::string actual = host_ ? host_->currentScreenClass() : "";
        if (actual != arg)
            return fail("expected screen " + arg + ", found " + (actual.empty() ? "none" : actual));
    } else if (cmd == "await-screen" || cmd == "await-end" || cmd == "pause") {
        // The course's own time stands still while a message from another program is awaited.
        std::istringstream is(arg);
        std::string screen;
        double seconds = 0;
        if (cmd == "await-screen" && !(is >> screen)) return fail("await-screen needs CLASS SECONDS: " + line);
        if (!(is >> seconds) || seconds <= 0) return fail(cmd + " needs SECONDS (real time): " + line);
        await_ = cmd == "await-end" ? Await::End : cmd == "pause" ? Await::Pause : Await::Screen;
        awaitScreen_ = screen;
        awaitLine_ = line;
        awaitTick_ = std::chrono::steady_clock::now();
        awaitCarryUs_ = 0;
        awaitDeadline_ = awaitTick_ + std::chrono::milliseconds(int64_t(seconds * 1000));
    } else if (cmd == "answer") {
        if (!host_ || arg.empty()) return fail("answer needs a button name");
        host_->queueDialogAnswer(arg);
    } else {
        fail("unknown script command: " + line);
    }
}

void HeadlessPlatform::pollAwait(int64_t timeoutMs) {
    // Checked before any time passes: the awaited screen begins its life where the wait ends.
    if (await_ == Await::Screen && host_ && host_->currentScreenClass() == awaitScreen_) {
        await_ = Await::None;
        return;
    }
    if (await_ == Await::Pause && std::chrono::steady_clock::now() >= awaitDeadline_) {
        await_ = Await::None;
        return;
    }
    if (std::chrono::steady_clock::now() >= awaitDeadline_) {
        std::string found = host_ ? host_->currentScreenClass() : "";
        await_ = Await::None;
        return fail("timed out: " + awaitLine_ + " (the screen is " + (found.empty() ? "none" : found) + ")");
    }
    // Messages from other threads wake nothing here: look again shortly.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    auto now = std::chrono::steady_clock::now();
    awaitCarryUs_ += std::chrono::duration_cast<std::chrono::microseconds>(now - awaitTick_).count();
    awaitTick_ = now;
    int64_t ms = awaitCarryUs_ / 1000;
    if (timeoutMs >= 0) ms = std::min(ms, timeoutMs);
    awaitCarryUs_ -= ms * 1000;
    if (timeoutMs >= 0 && ms == timeoutMs) awaitCarryUs_ = 0;
    clock_.set(clock_.nowMs() + uint64_t(ms));
}

void HeadlessPlatform::waitEvents(int64_t timeoutMs, std::vector<InputEvent>& out) {
    if (timeoutMs == 0 || finished_) return;
    if (await_ != Await::None) {
        pollAwait(timeoutMs);
        return;
    }
    if (waiting_) {
        uint64_t now = clock_.nowMs();
        uint64_t target = waitUntil_;
        if (timeoutMs > 0) target = std::min(target, now + uint64_t(timeoutMs));
        clock_.set(target);
        if (clock_.nowMs() >= waitUntil_) waiting_ = false;
        return;
    }
    // A drag goes on to its end before the next line.
    if (!steps_.empty()) {
        Step& step = steps_.front();
        if (step.afterMs > 0) {
            startWait(step.afterMs);
            step.afterMs = 0;
            return;
        }
        out.push_back(step.event);
        steps_.pop_front();
        return;
    }
    // One line per idle moment, so the program handles each step before the next.
    while (nextLine_ < script_.size() && out.empty() && !waiting_ && !finished_) {
        ++nextLine_;
        runScriptLine(script_[nextLine_ - 1], out);
        if (!out.empty() || waiting_ || await_ != Await::None) return;
    }
    if (finished_) return;
    if (nextLine_ >= script_.size() && out.empty() && !waiting_) {
        finished_ = true;
        if (dispatcher_) dispatcher_->quit(0);
    }
}

} // namespace parlora
