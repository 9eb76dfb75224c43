#pragma once
// The one UI thread's loop: posted messages, input, paint and timers, in that priority.
// Device threads only ever post (postFromAnyThread). Every handler runs inside one error funnel.
#include "platform/Clock.h"
#include "platform/Input.h"

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace parlora {

class IEventSource;

using Task = std::function<void()>;
// A posted message's target: dropped when the target has gone. An empty guard never expires.
using Guard = std::weak_ptr<const void>;
using TimerId = uint64_t;

// Objects that receive posted messages own one of these and hand out guard().
class Lifetime {
  public:
    Lifetime() : token_(std::make_shared<int>(0)) {}
    Lifetime(const Lifetime&) : Lifetime() {}
    Lifetime& operator=(const Lifetime&) { return *this; }
    Guard guard() const { return token_; }
    void reset() { token_ = std::make_shared<int>(0); } // every message posted so far goes stale

  private:
    std::shared_ptr<int> token_;
};

class Dispatcher {
  public:
    using InputHandler = std::function<void(const InputEvent&)>;
    // An application-wide hook sees every input event before it is dispatched; true = handled.
    using AppHook = std::function<bool(const InputEvent&)>;
    using ErrorHandler = std::function<void(const std::exception&)>;

    Dispatcher(IClock& clock, IEventSource* source);
    ~Dispatcher();

    IClock& clock() { return clock_; }

    // Queued, FIFO. deferInModal: held while a nested modal loop runs (router requests, close).
    void post(Guard target, Task task, bool deferInModal = false);
    void post(Task task) { post(Guard{}, std::move(task)); }
    void postFromAnyThread(Guard target, Task task);

    // Periodic timers re-arm from the moment they fire, so a late one never fires twice to catch up.
    TimerId setTimer(uint32_t intervalMs, bool periodic, Task task, Guard target = {});
    void killTimer(TimerId id);
    bool timerActive(TimerId id) const;
    // Milliseconds until the earliest timer, or -1 when none is set.
    int64_t msToNextTimer() const;

    void setInputHandler(InputHandler handler) { inputHandler_ = std::move(handler); }
    // Modal loops take the input while they run.
    void pushModalInput(InputHandler handler);
    void popModalInput();
    AppHook setAppHook(AppHook hook);
    const AppHook& appHook() const { return appHook_; }
    void setPaintHandler(Task paint) { paint_ = std::move(paint); }
    void invalidate() { paintPending_ = true; }
    void setErrorHandler(ErrorHandler handler) { errorHandler_ = std::move(handler); }
    // Runs `fn` inside the error funnel, as every dispatched handler is.
    void guarded(const Task& fn);

    // Drops the input queued so far (after a screen change).
    void discardInput();
    void queueInput(const InputEvent& e) { input_.push_back(e); }

    // Runs a nested loop until `finished` is true or the application quits.
    void runModal(const std::function<bool()>& finished);
    int modalDepth() const { return modalDepth_; }

    void run();
    void quit(int exitCode = 0);
    bool quitting() const { return quit_; }
    int exitCode() const { return exitCode_; }

    // One step of the loop; returns false when there was nothing to do (and may then wait).
    bool runOnce(bool mayWait);
    // Handles everything due now without waiting or moving the clock.
    void runUntilIdle();
    // Fake time: runs every timer up to now + ms in order, moving the clock to each deadline.
    void advance(FakeClock& clock, uint64_t ms);

  private:
    struct Posted {
        Guard target;
        bool guarded;
        Task task;
        bool deferInModal;
    };
    struct Timer {
        uint32_t interval;
        bool periodic;
        uint64_t due;
        uint64_t seq;
        Task task;
        Guard target;
        bool guarded;
    };

    void drainForeignQueue();
    bool dispatchPosted();
    void dispatchInput(const InputEvent& e);
    bool fireDueTimer();

    IClock& clock_;
    IEventSource* source_;
    std::deque<Posted> posted_;
    std::deque<Posted> deferred_;
    std::deque<InputEvent> input_;
    std::vector<InputEvent> incoming_;
    std::map<TimerId, Timer> timers_;
    TimerId nextTimerId_ = 1;
    uint64_t timerSeq_ = 0;
    InputHandler inputHandler_;
    std::vector<InputHandler> modalInput_;
    AppHook appHook_;
    Task paint_;
    bool paintPending_ = false;
    ErrorHandler errorHandler_;
    int modalDepth_ = 0;
    bool quit_ = false;
    int exitCode_ = 0;
    std::mutex foreignMutex_;
    std::deque<Posted> foreign_;
};

} // namespace parlora
