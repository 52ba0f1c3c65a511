#include "host/probe_memory.h"

#include <sys/mman.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>

namespace dvhost {
namespace {

constexpr uint64_t kPage = 0x1000;

std::map<uint64_t, uint64_t> gMapped; // start -> end, disjoint

std::string hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

void map_fresh(uint64_t start, uint64_t end) {
  void* wanted = reinterpret_cast<void*>(start);
  void* got = mmap(wanted, end - start, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED_NOREPLACE, -1, 0);
  if (got != wanted) {
    int error = errno;
    if (got != MAP_FAILED)
      munmap(got, end - start);
    throw std::runtime_error("cannot map probe-heap memory " + hex(start) + "-" + hex(end) + ": " +
                             std::strerror(error));
  }
  gMapped.emplace(start, end);
}

} // namespace

void map_probe_memory(uint64_t base, uint64_t length) {
  if (length == 0)
    return;
  if (base + length < base)
    throw std::runtime_error("probe-heap region wraps around");
  uint64_t end = (base + length + kPage - 1) & ~(kPage - 1);
  uint64_t start = base < kProbeHeapFloor ? kProbeHeapFloor : base & ~(kPage - 1);
  while (start < end) {
    auto next = gMapped.upper_bound(start);
    if (next != gMapped.begin()) {
      auto covering = std::prev(next);
      if (covering->second > start) {
        start = covering->second;
        continue;
      }
    }
    uint64_t stop = next == gMapped.end() || next->first > end ? end : next->first;
    map_fresh(start, stop);
    start = stop;
  }
}

void map_probe_memory(const std::vector<MemoryRegion>& regions) {
  for (const MemoryRegion& region : regions)
    map_probe_memory(region.base, region.length);
}

void unmap_probe_memory() {
  for (auto [start, end] : gMapped)
    munmap(reinterpret_cast<void*>(start), end - start);
  gMapped.clear();
}

} // namespace dvhost
