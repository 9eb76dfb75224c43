#pragma once
// One linear congruential generator in two independent streams. The recurrence must stay exactly
// as it is: in quiz mode every learner of a class is seeded with the same value and must be asked
// the same questions.
#include <cstdint>

namespace parlora {

class IClock;

class TRandomStream {
  public:
    explicit TRandomStream(uint32_t seed = 0) : seed_(seed) {}

    void Seed(uint32_t seed) { seed_ = seed; }
    uint32_t seed() const { return seed_; }

    // Next value in 0 .. n - 1; a range of 0 gives 0 (the seed still moves on).
    uint32_t Next(uint32_t n) {
        seed_ = seed_ * 134775813u + 1u;
        return static_cast<uint32_t>((static_cast<uint64_t>(n) * seed_) >> 32);
    }

  private:
    uint32_t seed_;
};

class TRandomStreams {
  public:
    TRandomStream shared; // question sequences; reseeded when an exercise starts
    TRandomStream course; // everything else; seeded once at start-up

    // Ranges of 0 or less give 0.
    int SharedRandom(int n) { return Draw(shared, n); }
    int CourseRandom(int n) { return Draw(course, n); }

    void SeedShared(uint32_t value) { shared.Seed(value); }
    void SeedSharedFromClock(const IClock& clock);
    void SeedCourseFromClock(const IClock& clock);

  private:
    static int Draw(TRandomStream& stream, int n) {
        return static_cast<int>(stream.Next(n > 0 ? static_cast<uint32_t>(n) : 0u));
    }
};

} // namespace parlora
