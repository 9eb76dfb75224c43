#include "shell/RandomStream.h"

#include "platform/Clock.h"

namespace parlora {

void TRandomStreams::SeedSharedFromClock(const IClock& clock) {
    shared.Seed(static_cast<uint32_t>(clock.perfCounter() & 0xFFFFFFFFu));
}

void TRandomStreams::SeedCourseFromClock(const IClock& clock) {
    course.Seed(clock.utcMsOfDay());
}

} // namespace parlora
