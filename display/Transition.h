#pragma once
// The effects drawn while one screen replaces another, and the in-screen cross-fades.
// Pure software on Surfaces: the caller supplies the clock, the presenter and the pacing, so a
// headless run drives it in virtual time. Nothing is dispatched while an effect runs.
#include "core/Surface.h"
#include "platform/Clock.h"

#include <cstdint>
#include <functional>

namespace parlora {

class TTransition {
  public:
    enum Kind : int {
        None = 0,
        WipeRight = 1,    // the new screen enters from the left edge, moving right
        WipeLeft = 2,     // the new screen enters from the right edge, moving left
        WipeOutwards = 3, // from the centre column towards both sides
        WipeInwards = 4,  // from both sides towards the centre column
        Blend = 5,
        Radial = 6, // a clock hand sweeping from twelve o'clock
    };

    static constexpr int kBandWidth = 50; // the soft edge of the wipes, in pixels
    static constexpr int kFrameMs = 16;   // pacing between presented frames

    // 0 for kind 0 and for every kind it does not know.
    static int DurationMs(int kind);

    // One frame at `progress` (0 = all `from`, 1 = all `to`, clamped). `out` takes the size of `to`;
    // a `from` of another size is read as if padded with black. `out` may be `from` or `to`.
    static void RenderFrame(int kind, const Surface& from, const Surface& to, double progress, Surface& out);

    // Presents frames until the duration has passed on `clock`, then presents `to` itself.
    // `sleepOrAdvance` waits the given milliseconds (or advances a fake clock). With `fast`, kind 0 or
    // an unknown kind, `to` is presented once at once.
    static void Run(int kind, bool fast, const Surface& from, const Surface& to, IClock& clock,
                    const std::function<void(const Surface&)>& present,
                    const std::function<void(uint64_t)>& sleepOrAdvance);
};

} // namespace parlora
