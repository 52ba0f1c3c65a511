#include "host/memory_map.h"

#include "host/boot_page.h"

#include <stdexcept>

namespace dvhost {
namespace {

constexpr uintptr_t kMemoryTop = 0x6088;
constexpr uintptr_t kLegacyCount = 0x608C;
constexpr uintptr_t kLegacyEntries = 0x6090;
constexpr uintptr_t kMap64Magic = 0x6238;
constexpr uintptr_t kMap64Count = 0x623C;
constexpr uintptr_t kMap64Entries = 0x6240;
constexpr uintptr_t kMapAreaEnd = kMap64Entries + kMaxMap64Entries * 16;
constexpr uint32_t kMap64MagicValue = 0x34364844; // "DH64" in memory order

} // namespace

void clear_memory_map() {
  clear_boot_range(kMemoryTop, kMapAreaEnd);
}

void set_memory_top(uint32_t top) {
  write_boot_u32(kMemoryTop, top);
}

void set_memory_map64(const std::vector<MemoryRegion>& regions) {
  if (regions.size() > kMaxMap64Entries)
    throw std::invalid_argument("the 64-bit memory map holds at most 64 entries");
  write_boot_u32(kMap64Magic, kMap64MagicValue);
  write_boot_u32(kMap64Count, static_cast<uint32_t>(regions.size()));
  uintptr_t entry = kMap64Entries;
  for (const MemoryRegion& region : regions) {
    write_boot_u64(entry, region.base);
    write_boot_u64(entry + 8, region.length);
    entry += 16;
  }
}

void set_memory_map64_count(uint32_t count) {
  write_boot_u32(kMap64Count, count);
}

void set_legacy_memory_map(const std::vector<MemoryRegion>& regions) {
  if (regions.size() > kMaxLegacyEntries)
    throw std::invalid_argument("the legacy memory map holds at most 16 entries");
  write_boot_u32(kLegacyCount, static_cast<uint32_t>(regions.size()));
  uintptr_t entry = kLegacyEntries;
  for (const MemoryRegion& region : regions) {
    write_boot_u32(entry, static_cast<uint32_t>(region.base));
    write_boot_u32(entry + 4, static_cast<uint32_t>(region.length));
    entry += 8;
  }
}

void set_legacy_memory_map_count(uint32_t count) {
  write_boot_u32(kLegacyCount, count);
}

} // namespace dvhost
