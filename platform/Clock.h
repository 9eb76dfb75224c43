#pragma once
#include <cstdint>
#include <string>

namespace parlora {

struct LocalTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

class IClock {
  public:
    virtual ~IClock() = default;
    // Monotonic milliseconds; the tick count that timers and animations measure against.
    virtual uint64_t nowMs() const = 0;
    virtual uint64_t perfCounter() const = 0;
    // Milliseconds since midnight, UTC.
    virtual uint32_t utcMsOfDay() const = 0;
    virtual LocalTime localTime() const = 0;
    // Today's date in the user's short locale format.
    virtual std::string shortDate() const = 0;
};

// The real clock, on CLOCK_MONOTONIC and the system calendar.
class SystemClock : public IClock {
  public:
    uint64_t nowMs() const override;
    uint64_t perfCounter() const override;
    uint32_t utcMsOfDay() const override;
    LocalTime localTime() const override;
    std::string shortDate() const override;
};

// Only moves when told: tests and --headless run in this time.
class FakeClock : public IClock {
  public:
    explicit FakeClock(uint64_t startMs = 1'000'000) : now_(startMs) {}
    uint64_t nowMs() const override { return now_; }
    uint64_t perfCounter() const override { return perf_; }
    uint32_t utcMsOfDay() const override { return utcMsOfDay_; }
    LocalTime localTime() const override { return local_; }
    std::string shortDate() const override { return shortDate_; }

    void advance(uint64_t ms) { now_ += ms; }
    void set(uint64_t ms) {
        if (ms > now_) now_ = ms;
    }
    void setPerfCounter(uint64_t v) { perf_ = v; }
    void setUtcMsOfDay(uint32_t v) { utcMsOfDay_ = v; }
    void setLocalTime(const LocalTime& t) { local_ = t; }
    void setShortDate(std::string d) { shortDate_ = std::move(d); }

  private:
    uint64_t now_;
    uint64_t perf_ = 123456789;
    uint32_t utcMsOfDay_ = 36'000'000;
    LocalTime local_{2026, 12, 9, 10, 0, 0};
    std::string shortDate_ = "09/12/2026";
};

} // namespace parlora
