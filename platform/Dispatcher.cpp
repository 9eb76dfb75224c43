#include "platform/Dispatcher.h"

#include "platform/Platform.h"

#include <algorithm>
#include <limits>

namespace parlora {

static bool Alive(const Guard& g, bool guarded) {
    return !guarded || !g.expired();
}

// A default-constructed weak_ptr and an expired one look alike; record which one we were given.
static bool IsGuarded(const Guard& g) {
    Guard empty;
    return g.owner_before(empty) || empty.owner_before(g);
}

Dispatcher::Dispatcher(IClock& clock, IEventSource* source) : clock_(clock), source_(source) {}
Dispatcher::~Dispatcher() = default;

void Dispatcher::post(Guard target, Task task, bool deferInModal) {
    bool g = IsGuarded(target);
    posted_.push_back({std::move(target), g, std::move(task), deferInModal});
}

void Dispatcher::postFromAnyThread(Guard target, Task task) {
    {
        std::lock_guard<std::mutex> lock(foreignMutex_);
        bool g = IsGuarded(target);
        foreign_.push_back({std::move(target), g, std::move(task), false});
    }
    if (source_) source_->wake();
}

void Dispatcher::drainForeignQueue() {
    std::lock_guard<std::mutex> lock(foreignMutex_);
    while (!foreign_.empty()) {
        posted_.push_back(std::move(foreign_.front()));
        foreign_.pop_front();
    }
}

TimerId Dispatcher::setTimer(uint32_t intervalMs, bool periodic, Task task, Guard target) {
    TimerId id = nextTimerId_++;
    bool g = IsGuarded(target);
    timers_[id] =
        Timer{intervalMs,        periodic, clock_.nowMs() + intervalMs, timerSeq_++, std::move(task),
              std::move(target), g};
    return id;
}

void Dispatcher::killTimer(TimerId id) {
    timers_.erase(id);
}

bool Dispatcher::timerActive(TimerId id) const {
    return timers_.count(id) != 0;
}

int64_t Dispatcher::msToNextTimer() const {
    if (timers_.empty()) return -1;
    uint64_t now = clock_.nowMs(), best = std::numeric_limits<uint64_t>::max();
    for (const auto& [id, t] : timers_)
        best = std::min(best, t.due);
    return best <= now ? 0 : int64_t(best - now);
}

void Dispatcher::pushModalInput(InputHandler handler) {
    modalInput_.push_back(std::move(handler));
}

void Dispatcher::popModalInput() {
    if (!modalInput_.empty()) modalInput_.pop_back();
}

Dispatcher::AppHook Dispatcher::setAppHook(AppHook hook) {
    AppHook old = std::move(appHook_);
    appHook_ = std::move(hook);
    return old;
}

void Dispatcher::guarded(const Task& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        if (errorHandler_) {
            errorHandler_(e);
        } else {
            throw;
        }
    }
}

void Dispatcher::discardInput() {
    input_.clear();
    incoming_.clear();
    if (source_) {
        // Pick up whatever the window system holds, then drop it too.
        std::vector<InputEvent> pending;
        source_->waitEvents(0, pending);
        for (auto& e : pending)
            if (e.kind == InputEvent::Kind::CloseRequest) input_.push_back(e);
    }
}

bool Dispatcher::dispatchPosted() {
    if (modalDepth_ == 0 && !deferred_.empty()) {
        // The nested loop that held these has ended: they go first, in their order.
        while (!deferred_.empty()) {
            posted_.push_front(std::move(deferred_.back()));
            deferred_.pop_back();
        }
    }
    while (!posted_.empty()) {
        Posted p = std::move(posted_.front());
        posted_.pop_front();
        if (!Alive(p.target, p.guarded)) continue;
        if (p.deferInModal && modalDepth_ > 0) {
            deferred_.push_back(std::move(p));
            continue;
        }
        guarded(p.task);
        return true;
    }
    return false;
}

void Dispatcher::dispatchInput(const InputEvent& e) {
    guarded([&] {
        // Copy: a hook may put another in its place, which would free it while it runs.
        if (AppHook hook = appHook_; hook && hook(e)) return;
        if (!modalInput_.empty()) {
            // Copy: the handler may end the modal loop and pop itself.
            InputHandler h = modalInput_.back();
            h(e);
        } else if (inputHandler_) {
            inputHandler_(e);
        }
    });
}

bool Dispatcher::fireDueTimer() {
    uint64_t now = clock_.nowMs();
    auto best = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.due > now) continue;
        if (best == timers_.end() || it->second.due < best->second.due ||
            (it->second.due == best->second.due && it->second.seq < best->second.seq))
            best = it;
    }
    if (best == timers_.end()) return false;
    TimerId id = best->first;
    Timer& t = best->second;
    if (!Alive(t.target, t.guarded)) {
        timers_.erase(best);
        return true;
    }
    Task task = t.task;
    if (t.periodic) {
        t.due = now + std::max<uint32_t>(t.interval, 1);
        t.seq = timerSeq_++;
    } else {
        timers_.erase(best);
    }
    (void)id;
    guarded(task);
    return true;
}

bool Dispatcher::runOnce(bool mayWait) {
    drainForeignQueue();
    if (source_ && input_.empty()) {
        incoming_.clear();
        source_->waitEvents(0, incoming_);
        for (auto& e : incoming_)
            input_.push_back(e);
    }
    if (dispatchPosted()) return true;
    if (!input_.empty()) {
        InputEvent e = input_.front();
        input_.pop_front();
        dispatchInput(e);
        return true;
    }
    if (paintPending_) {
        paintPending_ = false;
        if (paint_) guarded(paint_);
        return true;
    }
    if (fireDueTimer()) return true;
    if (mayWait && source_ && !quit_) {
        incoming_.clear();
        source_->waitEvents(msToNextTimer(), incoming_);
        for (auto& e : incoming_)
            input_.push_back(e);
    }
    return false;
}

void Dispatcher::runUntilIdle() {
    while (!quit_ && runOnce(false)) {
    }
}

void Dispatcher::advance(FakeClock& clock, uint64_t ms) {
    uint64_t target = clock.nowMs() + ms;
    while (!quit_) {
        runUntilIdle();
        int64_t next = msToNextTimer();
        if (next < 0 || clock.nowMs() + uint64_t(next) > target) break;
        clock.set(clock.nowMs() + uint64_t(next));
    }
    clock.set(target);
    runUntilIdle();
}

void Dispatcher::runModal(const std::function<bool()>& finished) {
    ++modalDepth_;
    try {
        while (!quit_ && !finished())
            runOnce(true);
    } catch (...) {
        --modalDepth_;
        throw;
    }
    --modalDepth_;
}

void Dispatcher::run() {
    while (!quit_)
        runOnce(true);
}

void Dispatcher::quit(int exitCode) {
    if (!quit_) exitCode_ = exitCode;
    quit_ = true;
    if (source_) source_->wake();
}

} // namespace parlora
