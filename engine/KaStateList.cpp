#include "engine/KaStateList.h"

#include "core/Errors.h"
#include "core/StringUtil.h"

namespace parlora {

void TKaState::SetName(const std::string& name) {
    if (!name.empty() && owner_) {
        int found = owner_->Find(name);
        if (found >= 0 && &(*owner_)[found] != this)
            throw SLException(Format("Name %s is already in use", name.c_str()));
    }
    name_ = name;
}

void TKaState::Assign(const TKaState& other) {
    Duration = other.Duration;
    ExtraTime = other.ExtraTime;
    Triggers = other.Triggers;
    OnEntry = other.OnEntry;
    OnExit = other.OnExit;
    name_ = other.name_;
    NextName = other.NextName;
    nextIndex_ = other.nextIndex_;
}

TKaState& TKaStates::Add() {
    items_.push_back(std::make_unique<TKaState>(this));
    return *items_.back();
}

void TKaStates::Assign(const TKaStates& other) {
    if (&other == this) return;
    items_.clear();
    for (const auto& s : other.items_)
        Add().Assign(*s);
}

int TKaStates::Find(const std::string& name) const {
    if (name.empty()) return -1;
    for (size_t i = 0; i < items_.size(); ++i)
        if (IEquals(items_[i]->Name(), name)) return int(i);
    return -1;
}

TKaStateList::TKaStateList(Dispatcher& dispatcher) : dispatcher_(dispatcher), states_(this) {}

TKaStateList::~TKaStateList() {
    // No handlers on the way out: the screen that owns them is going too.
    StopTimer();
}

void TKaStateList::SetStates(const TKaStates& states) {
    if (&states == &states_) return;
    StopRun(true);
    states_.Assign(states);
}

void TKaStateList::Define(std::span<const TKaStateDef> table) {
    StopRun(true);
    states_.Clear();
    for (const auto& row : table) {
        TKaState& s = states_.Add();
        s.SetName(row.name ? row.name : "");
        s.NextName = row.nextName ? row.nextName : "";
        s.Triggers = row.triggers;
        s.Duration = row.duration;
        s.ExtraTime = row.extraTime;
    }
}

void TKaStateList::BindEntry(const std::string& stateName, TKaStateEvent handler) {
    states_[IndexOfState(stateName)].OnEntry = std::move(handler);
}

void TKaStateList::BindExit(const std::string& stateName, TKaStateEvent handler) {
    states_[IndexOfState(stateName)].OnExit = std::move(handler);
}

int TKaStateList::IndexOfState(const std::string& name) const {
    int i = states_.Find(name);
    if (i < 0) throw SLException(Format("Can't find state %s", name.c_str()));
    return i;
}

int TKaStateList::SetNextState(const std::string& name) {
    nextIndex_ = IndexOfState(name);
    return nextIndex_;
}

void TKaStateList::Start() {
    StopRun(true);
    // Resolve everything before touching the run state, so a bad NextName leaves the list idle.
    std::vector<int> successors(size_t(states_.Count()));
    for (int i = 0; i < states_.Count(); ++i) {
        const TKaState& s = states_[i];
        if (!s.NextName.empty())
            successors[size_t(i)] = IndexOfState(s.NextName);
        else
            successors[size_t(i)] = i + 1 < states_.Count() ? i + 1 : -1;
    }
    if (states_.Count() == 0) throw SLException("List index out of bounds (0)");
    for (int i = 0; i < states_.Count(); ++i)
        states_[i].nextIndex_ = successors[size_t(i)];
    nextIndex_ = 0;
    if (OnStart) OnStart(false);
    running_ = true;
    Fire(katNext, 0);
}

void TKaStateList::StopRun(bool aborted) {
    StopTimer();
    current_ = -1;
    nextIndex_ = -1;
    armed_ = 0;
    // A stale extra-time flag would make the next run skip the first state's extra time.
    extraPhase_ = false;
    if (running_) {
        running_ = false;
        if (OnStop) OnStop(aborted);
    }
}

void TKaStateList::ArmTriggers(TKaTriggerSet set) {
    if (set == armed_ || current_ < 0) return;
    armed_ = set;
    if (KaHas(set, katTimer))
        StartTimer(states_[current_].Duration);
    else
        StopTimer();
}

void TKaStateList::Deliver(TKaTrigger trigger, int32_t tag) {
    if (KaHas(armed_, trigger)) Fire(trigger, tag);
}

void TKaStateList::Fire(TKaTrigger trigger, int32_t tag) {
    if (!running_) return;
    do {
        armed_ = 0;
        if (current_ >= 0) {
            const TKaState& cur = states_[current_];
            if (cur.ExtraTime > 0 && !extraPhase_) {
                StartTimer(cur.ExtraTime);
                extraPhase_ = true;
                return;
            }
            extraPhase_ = false;
            // Copy: the handler may redefine or restart the list.
            TKaStateEvent onExit = cur.OnExit;
            if (onExit) onExit(trigger, tag);
            if (!running_) return;
        }
        if (nextIndex_ < 0 || nextIndex_ >= states_.Count()) {
            StopRun(false);
            return;
        }
        current_ = nextIndex_;
        TKaState& s = states_[current_];
        nextIndex_ = s.nextIndex_;
        ArmTriggers(s.Triggers);
        if (Trace) {
            Trace->Lines.push_back(Format("%d - %s", current_, s.DisplayName().c_str()));
            Trace->ItemIndex = int(Trace->Lines.size()) - 1;
        }
        TKaStateEvent onEntry = s.OnEntry;
        if (onEntry) onEntry(trigger, tag);
        // A nested delivery may have begun an extra-time pause; going round again would cut it
        // short and leave its timer running into the next state.
    } while (running_ && armed_ == 0 && !extraPhase_);
}

void TKaStateList::StartTimer(uint32_t ms) {
    StopTimer();
    timer_ = dispatcher_.setTimer(
        ms, false, [this] { TimerFired(); }, lifetime_.guard());
}

void TKaStateList::StopTimer() {
    if (timer_) dispatcher_.killTimer(timer_);
    timer_ = 0;
}

void TKaStateList::TimerFired() {
    timer_ = 0;
    if (extraPhase_ || KaHas(armed_, katTimer)) Fire(katTimer, 0);
}

} // namespace parlora
