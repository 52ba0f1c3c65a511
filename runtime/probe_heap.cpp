#include "runtime/probe_heap.h"

#include "runtime/export.h"

namespace dv {

ProbeHeapBlock* gHeapHead = nullptr;
bool gHeapInitialized = false;

namespace {

// Memory below 3 MiB belongs to the boot environment.
constexpr uint64_t kHeapFloor = 0x300000;
constexpr uint64_t kFallbackTop = 0x4000000;
constexpr uint64_t kSmallestUsableTop = 0x300029;
constexpr uint64_t kMinimumBlock = 48; // a header and 16 bytes of payload
constexpr uint32_t kMaxRegions = 64;

constexpr uintptr_t kMemoryTopAddress = 0x6088;
constexpr uintptr_t kLegacyCountAddress = 0x608C;
constexpr uintptr_t kLegacyEntriesAddress = 0x6090;
constexpr uint32_t kLegacyMaxEntries = 16;
constexpr uintptr_t kMap64MagicAddress = 0x6238;
constexpr uintptr_t kMap64CountAddress = 0x623C;
constexpr uintptr_t kMap64EntriesAddress = 0x6240;
constexpr uint32_t kMap64MaxEntries = 64;
constexpr uint32_t kMap64Magic = 'D' | ('H' << 8) | ('6' << 16) | (uint32_t('4') << 24);

struct Region {
  uint64_t start;
  uint64_t end;
};

struct RegionList {
  Region regions[kMaxRegions];
  uint32_t count = 0;
};

// The map is written by the boot environment at fixed addresses; read it in place.
uint32_t read_u32(uintptr_t address) {
  return *reinterpret_cast<const volatile uint32_t*>(address);
}
uint64_t read_u64(uintptr_t address) {
  return *reinterpret_cast<const volatile uint64_t*>(address);
}

ProbeHeapBlock* block_at(uint64_t address) {
  return reinterpret_cast<ProbeHeapBlock*>(static_cast<uintptr_t>(address));
}

// Insertion keeps the list sorted by start; equal starts keep their map order.
void collect(RegionList& list, uint64_t base, uint64_t end) {
  if (list.count == kMaxRegions)
    return;
  Region region{base < kHeapFloor ? kHeapFloor : base, end};
  uint32_t i = list.count;
  while (i > 0 && list.regions[i - 1].start > region.start) {
    list.regions[i] = list.regions[i - 1];
    --i;
  }
  list.regions[i] = region;
  ++list.count;
}

void collect_entry(RegionList& list, uint64_t base, uint64_t length, bool may_wrap) {
  if (length == 0)
    return;
  uint64_t end = base + length;
  if (may_wrap && end < base)
    return;
  if (end <= kHeapFloor)
    return;
  collect(list, base, end);
}

bool map64_present() {
  return read_u32(kMap64MagicAddress) == kMap64Magic && read_u32(kMap64CountAddress) != 0;
}

void collect_map(RegionList& list) {
  if (map64_present()) {
    uint32_t count = read_u32(kMap64CountAddress);
    for (uint32_t i = 0; i < count && i < kMap64MaxEntries; ++i) {
      uintptr_t entry = kMap64EntriesAddress + uintptr_t(i) * 16;
      collect_entry(list, read_u64(entry), read_u64(entry + 8), true);
    }
    return;
  }
  uint32_t count = read_u32(kLegacyCountAddress);
  for (uint32_t i = 0; i < count && i < kLegacyMaxEntries; ++i) {
    uintptr_t entry = kLegacyEntriesAddress + uintptr_t(i) * 8;
    collect_entry(list, read_u32(entry), read_u32(entry + 4), false);
  }
}

// Overlapping or touching regions become one.
uint32_t merge(RegionList& list) {
  if (list.count == 0)
    return 0;
  uint32_t merged = 0;
  for (uint32_t i = 1; i < list.count; ++i) {
    Region& last = list.regions[merged];
    const Region& next = list.regions[i];
    if (next.start <= last.end) {
      if (next.end > last.end)
        last.end = next.end;
    } else {
      list.regions[++merged] = next;
    }
  }
  return merged + 1;
}

void append_region(uint64_t start, uint64_t length, ProbeHeapBlock*& tail) {
  uint64_t aligned = (start + 15) & ~uint64_t(15);
  if (aligned < start || aligned - start >= length)
    return;
  uint64_t usable = (length - (aligned - start)) & ~uint64_t(15);
  if (usable < kMinimumBlock)
    return;
  ProbeHeapBlock* block = block_at(aligned);
  block->size = usable - sizeof(ProbeHeapBlock);
  block->next = 0;
  block->free = 1;
  if (tail)
    tail->next = aligned;
  else
    gHeapHead = block;
  tail = block;
}

uint64_t fallback_top() {
  uint32_t top = read_u32(kMemoryTopAddress);
  uint64_t rounded = top & ~uint32_t(15);
  if (top <= kHeapFloor || rounded < kSmallestUsableTop)
    return kFallbackTop;
  return rounded;
}

void build_heap() {
  gHeapHead = nullptr;
  RegionList list;
  collect_map(list);
  uint32_t count = merge(list);
  ProbeHeapBlock* tail = nullptr;
  for (uint32_t i = 0; i < count; ++i)
    append_region(list.regions[i].start, list.regions[i].end - list.regions[i].start, tail);
  if (!gHeapHead)
    append_region(kHeapFloor, fallback_top() - kHeapFloor, tail);
  gHeapInitialized = true;
}

void ensure_heap() {
  if (!gHeapInitialized)
    build_heap();
}

uint64_t sum_payloads(bool only_free) {
  ensure_heap();
  uint64_t sum = 0;
  for (ProbeHeapBlock* block = gHeapHead; block; block = block_at(block->next)) {
    if (!only_free || block->free)
      sum += block->size;
  }
  return sum;
}

uint32_t saturate32(uint64_t value) {
  return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(value);
}

// Takes `need` bytes from the front of a free block, leaving the rest as a new free block
// when at least a minimum block remains.
void split(ProbeHeapBlock* block, uint64_t need) {
  if (block->size - need < kMinimumBlock)
    return;
  uint64_t rest_address = reinterpret_cast<uintptr_t>(block) + sizeof(ProbeHeapBlock) + need;
  ProbeHeapBlock* rest = block_at(rest_address);
  rest->size = block->size - need - sizeof(ProbeHeapBlock);
  rest->next = block->next;
  rest->free = 1;
  block->size = need;
  block->next = rest_address;
}

} // namespace

DV_FUNCTION(void*, dv_probe_heap_alloc, (size_t size)) {
  ensure_heap();
  if (size == 0 || size > ~size_t(0) - 15)
    return nullptr;
  uint64_t need = (uint64_t(size) + 15) & ~uint64_t(15);
  for (ProbeHeapBlock* block = gHeapHead; block; block = block_at(block->next)) {
    if (!block->free || block->size < need)
      continue;
    split(block, need);
    block->free = 0;
    return block + 1;
  }
  return nullptr;
}

DV_FUNCTION(void, dv_probe_heap_reset, ()) {
  gHeapInitialized = false;
  build_heap();
}

DV_FUNCTION(uint32_t, dv_probe_heap_free_bytes, ()) {
  return saturate32(sum_payloads(true));
}
DV_FUNCTION(uint64_t, dv_probe_heap_free_bytes64, ()) {
  return sum_payloads(true);
}
DV_FUNCTION(uint32_t, dv_probe_heap_total_bytes, ()) {
  return saturate32(sum_payloads(false));
}
DV_FUNCTION(uint64_t, dv_probe_heap_total_bytes64, ()) {
  return sum_payloads(false);
}

} // namespace dv
