#pragma once
// The state list that runs every timed exercise. It knows nothing about sounds or clicks: screens
// deliver those events and the list decides whether the current state is waiting for them.
#include "platform/Dispatcher.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace parlora {

// Each trigger is its own bit, so a set is a plain OR of triggers and the numbers the screens'
// tables use (1 = katNext, 128 = katEndAnim) read the same.
enum TKaTrigger : uint8_t {
    katNext = 1,
    katTimer = 2,
    katEndPlay = 4,
    katEndRecord = 8,
    katMouseAction = 16,
    katKeyAction = 32, // no delivery exists; kept so the bits keep their places
    katEndMedia = 64,
    katEndAnim = 128,
};
using TKaTriggerSet = uint8_t;

constexpr TKaTriggerSet operator|(TKaTrigger a, TKaTrigger b) {
    return TKaTriggerSet(uint8_t(a) | uint8_t(b));
}
constexpr TKaTriggerSet operator|(TKaTriggerSet a, TKaTrigger b) {
    return TKaTriggerSet(a | uint8_t(b));
}
constexpr bool KaHas(TKaTriggerSet set, TKaTrigger t) {
    return (set & uint8_t(t)) != 0;
}

using TKaStateEvent = std::function<void(TKaTrigger trigger, int32_t atag)>;
using TKaStateListEvent = std::function<void(bool aborted)>;

class TKaStates;
class TKaStateList;

class TKaState {
  public:
    explicit TKaState(TKaStates* owner) : owner_(owner) {}

    const std::string& Name() const { return name_; }
    // Fails with "Name %s is already in use" when another state of the list bears it (any case).
    void SetName(const std::string& name);
    // The name shown in the trace.
    std::string DisplayName() const { return name_.empty() ? "(unnamed)" : name_; }

    std::string NextName;
    TKaTriggerSet Triggers = 0;
    uint32_t Duration = 1000;
    uint32_t ExtraTime = 0;
    TKaStateEvent OnEntry;
    TKaStateEvent OnExit;

    // Successor resolved at Start; -1 for none.
    int NextIndex() const { return nextIndex_; }

    // Copies every property and the resolved successor; the name is taken as it is, because a
    // whole collection is copied at once and its names are already unique.
    void Assign(const TKaState& other);

  private:
    friend class TKaStateList;
    TKaStates* owner_;
    std::string name_;
    int nextIndex_ = -1;
};

class TKaStates {
  public:
    explicit TKaStates(TKaStateList* owner = nullptr) : owner_(owner) {}
    TKaStates(const TKaStates&) = delete;
    TKaStates& operator=(const TKaStates&) = delete;

    TKaState& Add();
    int Count() const { return int(items_.size()); }
    TKaState& operator[](int i) { return *items_.at(size_t(i)); }
    const TKaState& operator[](int i) const { return *items_.at(size_t(i)); }
    void Clear() { items_.clear(); }
    // Replaces the states by copies of `other`'s.
    void Assign(const TKaStates& other);
    // Index of the first state named `name` (any case); -1 when none. Unnamed states never match.
    int Find(const std::string& name) const;
    TKaStateList* Owner() const { return owner_; }

  private:
    TKaStateList* owner_;
    std::vector<std::unique_ptr<TKaState>> items_;
};

// One row of a screen's state table.
struct TKaStateDef {
    const char* name;
    const char* nextName = "";
    TKaTriggerSet triggers = 0;
    uint32_t duration = 1000;
    uint32_t extraTime = 0;
};

// The optional trace: one line per state entered, the last one selected (the debug window shows it).
struct TKaTrace {
    std::vector<std::string> Lines;
    int ItemIndex = -1;
};

class TKaStateList {
  public:
    explicit TKaStateList(Dispatcher& dispatcher);
    ~TKaStateList();
    TKaStateList(const TKaStateList&) = delete;
    TKaStateList& operator=(const TKaStateList&) = delete;

    TKaStates& States() { return states_; }
    const TKaStates& States() const { return states_; }
    // Replacing the states of a running list ends its run first: its indexes would point nowhere.
    void SetStates(const TKaStates& states);

    // Replaces the states by a screen's table; handlers are bound afterwards by name.
    void Define(std::span<const TKaStateDef> table);
    void BindEntry(const std::string& stateName, TKaStateEvent handler);
    void BindExit(const std::string& stateName, TKaStateEvent handler);

    TKaTrace* Trace = nullptr;
    TKaStateListEvent OnStart;
    TKaStateListEvent OnStop;

    void Start();
    void Stop() { StopRun(true); }
    int SetNextState(const std::string& name);
    int IndexOfState(const std::string& name) const;
    void ArmTriggers(TKaTriggerSet set);

    void Next(int32_t tag) { Deliver(katNext, tag); }
    void EndPlay(int32_t tag) { Deliver(katEndPlay, tag); }
    void EndRecord(int32_t tag) { Deliver(katEndRecord, tag); }
    void MouseAction(int32_t tag) { Deliver(katMouseAction, tag); }
    void EndMedia(int32_t tag) { Deliver(katEndMedia, tag); }
    void EndAnim(int32_t tag) { Deliver(katEndAnim, tag); }

    bool Running() const { return running_; }
    // The current state's index; -1 when idle.
    int CurrentIndex() const { return current_; }
    const TKaState* CurrentState() const { return current_ >= 0 ? &states_[current_] : nullptr; }
    TKaTriggerSet Armed() const { return armed_; }
    bool InExtraTime() const { return extraPhase_; }

  private:
    void Deliver(TKaTrigger trigger, int32_t tag);
    void Fire(TKaTrigger trigger, int32_t tag);
    void StopRun(bool aborted);
    void StartTimer(uint32_t ms);
    void StopTimer();
    void TimerFired();

    Dispatcher& dispatcher_;
    Lifetime lifetime_;
    TKaStates states_;
    int current_ = -1;
    int nextIndex_ = -1;
    TKaTriggerSet armed_ = 0;
    TimerId timer_ = 0;
    bool extraPhase_ = false;
    bool running_ = false;
};

} // namespace parlora
