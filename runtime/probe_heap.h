// The probe heap: a first-fit allocator the library builds itself from the boot memory
// map. It is exported for other modules; nothing in the library uses it. There is no
// free: dv_probe_heap_reset forgets every block and rebuilds from the map.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace dv {

// Header in front of every probe-heap payload; the list is in address order.
struct ProbeHeapBlock {
  uint64_t size; // payload bytes, a multiple of 16
  uint64_t next; // address of the next header, 0 at the end
  uint8_t free;  // 1 free, 0 in use
  uint8_t filler[15];
};
static_assert(sizeof(ProbeHeapBlock) == 32, "headers are 32 bytes");

extern ProbeHeapBlock* gHeapHead;
extern bool gHeapInitialized;

void* dv_probe_heap_alloc(size_t size);
void dv_probe_heap_reset();
uint32_t dv_probe_heap_free_bytes();
uint64_t dv_probe_heap_free_bytes64();
uint32_t dv_probe_heap_total_bytes();
uint64_t dv_probe_heap_total_bytes64();

} // namespace dv
