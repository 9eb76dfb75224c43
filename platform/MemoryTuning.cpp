#include "platform/MemoryTuning.h"

#include <malloc.h>

namespace parlora {

void KeepLargeBlocksInTheHeap() {
    // Larger than any picture the course makes (a 1024 x 768 frame is 3 MB); memory above the
    // trim threshold still goes back to the system.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
    // Pictures decoded on helper threads are freed by the UI thread: one heap lets their space
    // serve the next picture instead of sitting in a helper's arena.
    mallopt(M_ARENA_MAX, 1);
}

} // namespace parlora
