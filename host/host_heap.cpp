#include "host/host_heap.h"

#include "host/low_arena.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

namespace dvhost {
namespace {

constexpr size_t kArenaCapacity = size_t(512) << 20;
constexpr size_t kGuardBytes = 16;
constexpr unsigned char kFreshByte = 0xA5; // new memory is not zero: catches reliance on it
constexpr unsigned char kGuardByte = 0xFD;
constexpr unsigned char kFreedByte = 0xDD;

struct HeapState {
  LowArena arena{kArenaCapacity};
  std::map<uintptr_t, size_t> live; // block -> requested size
  std::set<uintptr_t> freed;        // released blocks not handed out again
  std::vector<std::string> errors;
  HeapStats stats;
  size_t max_request = size_t(256) << 20;
  size_t heap_size = host_heap::default_heap_size();
  uint64_t fail_single = 0;
  uint64_t fail_from = 0;
};

HeapState& state() {
  static HeapState* heap = new HeapState; // never destroyed: the artifact may outlive statics
  return *heap;
}

std::string hex(const void* pointer) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", pointer);
  return text;
}

size_t arena_size(size_t requested) {
  return LowArena::rounded(requested + kGuardBytes);
}

bool injected_failure() {
  HeapState& heap = state();
  ++heap.stats.requests;
  uint64_t n = heap.stats.requests;
  return n == heap.fail_single || (heap.fail_from != 0 && n >= heap.fail_from);
}

bool within_heap_size(size_t size) {
  const HeapState& heap = state();
  return size <= heap.max_request && arena_size(size) <= heap.heap_size &&
         heap.stats.heap_bytes <= heap.heap_size - arena_size(size);
}

void count_block(size_t size) {
  HeapStats& stats = state().stats;
  ++stats.live_blocks;
  stats.live_bytes += size;
  stats.heap_bytes += arena_size(size);
  stats.peak_live_bytes = std::max(stats.peak_live_bytes, stats.live_bytes);
  stats.peak_heap_bytes = std::max(stats.peak_heap_bytes, stats.heap_bytes);
}

void* take_block(size_t size) {
  HeapState& heap = state();
  if (!within_heap_size(size))
    return nullptr;
  auto* block = static_cast<unsigned char*>(heap.arena.allocate(arena_size(size)));
  if (!block)
    return nullptr;
  std::memset(block, kFreshByte, size);
  std::memset(block + size, kGuardByte, arena_size(size) - size);
  uintptr_t address = reinterpret_cast<uintptr_t>(block);
  heap.freed.erase(heap.freed.lower_bound(address),
                   heap.freed.lower_bound(address + arena_size(size)));
  heap.live.emplace(address, size);
  count_block(size);
  return block;
}

bool guard_intact(const unsigned char* block, size_t size) {
  for (size_t i = size; i < arena_size(size); ++i) {
    if (block[i] != kGuardByte)
      return false;
  }
  return true;
}

void drop_block(std::map<uintptr_t, size_t>::iterator it, bool report) {
  HeapState& heap = state();
  auto* block = reinterpret_cast<unsigned char*>(it->first);
  size_t size = it->second;
  if (report && !guard_intact(block, size))
    heap.errors.push_back("write past the end of block " + hex(block) + " of " +
                          std::to_string(size) + " bytes");
  std::memset(block, kFreedByte, arena_size(size));
  heap.arena.release(block, arena_size(size));
  heap.freed.insert(it->first);
  heap.live.erase(it);
  --heap.stats.live_blocks;
  heap.stats.live_bytes -= size;
  heap.stats.heap_bytes -= arena_size(size);
}

// Finds a live block for release/reallocate; records misuse and returns end() otherwise.
std::map<uintptr_t, size_t>::iterator find_live(void* block, const char* operation) {
  HeapState& heap = state();
  auto it = heap.live.find(reinterpret_cast<uintptr_t>(block));
  if (it != heap.live.end())
    return it;
  if (heap.freed.count(reinterpret_cast<uintptr_t>(block)))
    heap.errors.push_back(std::string("double ") + operation + " of " + hex(block));
  else
    heap.errors.push_back(std::string(operation) + " of bad pointer " + hex(block));
  return heap.live.end();
}

} // namespace

void* host_heap_allocate_slot(size_t size) {
  void* block = injected_failure() ? nullptr : take_block(size);
  if (!block)
    ++state().stats.failed_requests;
  return block;
}

void host_heap_release_slot(void* block) {
  if (!block)
    return;
  ++state().stats.releases;
  auto it = find_live(block, "free");
  if (it != state().live.end())
    drop_block(it, true);
}

// realloc(null, n) allocates; realloc(p, 0) gives a fresh minimal block and releases p,
// so a caller that keeps p on a null answer never sees p freed behind its back.
void* host_heap_reallocate_slot(void* block, size_t size) {
  HeapState& heap = state();
  if (!block)
    return host_heap_allocate_slot(size);
  auto it = find_live(block, "realloc");
  if (it == heap.live.end()) {
    ++heap.stats.requests;
    ++heap.stats.failed_requests;
    return nullptr;
  }
  size_t old_size = it->second;
  void* fresh = injected_failure() ? nullptr : take_block(size);
  if (!fresh) {
    ++heap.stats.failed_requests;
    return nullptr;
  }
  std::memcpy(fresh, block, old_size < size ? old_size : size);
  ++heap.stats.releases;
  drop_block(heap.live.find(reinterpret_cast<uintptr_t>(block)), true);
  return fresh;
}

namespace host_heap {

HeapStats stats() {
  return state().stats;
}
size_t live_blocks() {
  return state().stats.live_blocks;
}
size_t live_bytes() {
  return state().stats.live_bytes;
}
const std::vector<std::string>& errors() {
  return state().errors;
}
void clear_errors() {
  state().errors.clear();
}

size_t block_size(const void* block) {
  auto it = state().live.find(reinterpret_cast<uintptr_t>(block));
  return it == state().live.end() ? 0 : it->second;
}

bool is_live(const void* block) {
  return state().live.count(reinterpret_cast<uintptr_t>(block));
}

void fail_request(uint64_t n) {
  state().fail_single = n == 0 ? 0 : state().stats.requests + n;
}

void fail_requests_from(uint64_t n) {
  state().fail_from = n == 0 ? 0 : state().stats.requests + n;
}

void clear_fault_injection() {
  state().fail_single = 0;
  state().fail_from = 0;
}

void release_all() {
  while (!state().live.empty())
    drop_block(state().live.begin(), false);
}

void set_max_request(size_t bytes) {
  state().max_request = bytes;
}

size_t default_heap_size() {
  const char* setting = std::getenv("DV_HOST_HEAP_MB");
  const unsigned long long megabytes = setting ? std::strtoull(setting, nullptr, 10) : 0;
  if (megabytes == 0 || megabytes >= (kArenaCapacity >> 20))
    return kArenaCapacity;
  return size_t(megabytes) << 20;
}

void set_heap_size(size_t bytes) {
  state().heap_size = std::min(bytes, kArenaCapacity);
}

size_t heap_size() {
  return state().heap_size;
}

void reset_peak() {
  HeapStats& stats = state().stats;
  stats.peak_live_bytes = stats.live_bytes;
  stats.peak_heap_bytes = stats.heap_bytes;
}

} // namespace host_heap
} // namespace dvhost
