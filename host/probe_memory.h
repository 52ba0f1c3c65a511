// Real memory at the physical addresses the boot memory map names, so the probe heap
// can write its block headers there. Mappings are anonymous, zero-filled, reserved
// lazily (MAP_NORESERVE: gigabytes of address space cost nothing until touched) and
// never replace an existing mapping (MAP_FIXED_NOREPLACE).
#pragma once
#include <cstdint>
#include <vector>

#include "host/memory_map.h"

namespace dvhost {

// The probe heap never touches memory below 3 MiB; the part of a region below it is
// not mapped.
inline constexpr uint64_t kProbeHeapFloor = 0x300000;

// Maps [base, base + length) rounded out to whole pages, skipping pages already mapped
// by an earlier call. Throws std::runtime_error when the range is taken by something
// else in the process or wraps.
void map_probe_memory(uint64_t base, uint64_t length);
void map_probe_memory(const std::vector<MemoryRegion>& regions);

// Unmaps everything map_probe_memory mapped.
void unmap_probe_memory();

} // namespace dvhost
