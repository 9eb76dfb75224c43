#pragma once
namespace parlora {

// Screens allocate and free pictures of several megabytes at every change. Served by mmap, each
// one would be returned to the system when freed and fault its pages in again when the next
// screen needs one: most of a screen change's time. Keeping such blocks in the heap makes them
// reusable. Call once at start-up.
void KeepLargeBlocksInTheHeap();

} // namespace parlora
