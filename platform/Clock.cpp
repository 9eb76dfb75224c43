#include "platform/Clock.h"

#include <ctime>
#include <sys/time.h>

namespace parlora {

uint64_t SystemClock::nowMs() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1'000'000u;
}

uint64_t SystemClock::perfCounter() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1'000'000'000u + uint64_t(ts.tv_nsec);
}

uint32_t SystemClock::utcMsOfDay() const {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    return uint32_t((uint64_t(tv.tv_sec) % 86400u) * 1000u + uint64_t(tv.tv_usec) / 1000u);
}

LocalTime SystemClock::localTime() const {
    time_t t = time(nullptr);
    tm local{};
    localtime_r(&t, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string SystemClock::shortDate() const {
    time_t t = time(nullptr);
    tm local{};
    localtime_r(&t, &local);
    char buf[64];
    // "%x" follows LC_TIME, which main() takes from the user's environment.
    size_t n = strftime(buf, sizeof buf, "%x", &local);
    return std::string(buf, n);
}

} // namespace parlora
