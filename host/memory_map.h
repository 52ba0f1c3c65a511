// The boot memory map the probe heap is built from, written into the boot page:
// the 64-bit map ("DH64" at 0x6238, count at 0x623C, 16-byte entries from 0x6240),
// the legacy map (count at 0x608C, 8-byte entries from 0x6090) and the memory top
// (0x6088).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace dvhost {

struct MemoryRegion {
  uint64_t base;
  uint64_t length;
};

inline constexpr uint32_t kMaxMap64Entries = 64;
inline constexpr uint32_t kMaxLegacyEntries = 16;

// Zeroes everything from 0x6088 to 0x6640: no map, memory top 0.
void clear_memory_map();

void set_memory_top(uint32_t top);

// Writes the magic, the count (regions.size()) and the entries; at most 64 entries fit.
void set_memory_map64(const std::vector<MemoryRegion>& regions);
// Overrides just the count word (e.g. a count larger than the entries written).
void set_memory_map64_count(uint32_t count);

// Writes the legacy count and entries (base and length truncated to 32 bits); at most 16.
void set_legacy_memory_map(const std::vector<MemoryRegion>& regions);
void set_legacy_memory_map_count(uint32_t count);

} // namespace dvhost
