#include "fuzz/support/fuzz_heap.h"

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "abi/allocation_scope.h"
#include "abi/operator_new.h"
#include "host/program_api_table.h"

namespace fuzzheap {
namespace {

struct Armed {
  bool on = false;
  size_t live_at_start = 0;
  size_t budget = 0;
  uint64_t scoped_requests = 0;
  uint64_t refuse_request = 0; // 0: none
  bool refused = false;
};

size_t gLiveBytes = 0;
Armed gArmed;
Counts gCounts;

// Whether the request of `size` bytes about to be served is refused.
bool refuse(size_t size) {
  if (!gArmed.on || !dv::inside_allocation_scope())
    return false;
  ++gArmed.scoped_requests;
  const size_t taken = gLiveBytes - gArmed.live_at_start;
  const bool over_budget = taken > gArmed.budget || size > gArmed.budget - taken;
  if (!over_budget && gArmed.scoped_requests != gArmed.refuse_request)
    return false;
  gArmed.refused = true;
  ++gCounts.refused_requests;
  gCounts.refused_by_budget += over_budget;
  return true;
}

void* allocate(size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block != nullptr)
    gLiveBytes += malloc_usable_size(block);
  return block;
}

void release(void* block) {
  if (block != nullptr)
    gLiveBytes -= malloc_usable_size(block);
  std::free(block);
}

void* allocate_slot(size_t size) {
  return refuse(size) ? nullptr : allocate(size);
}

void* reallocate_slot(void* block, size_t size) {
  const size_t old_size = block != nullptr ? malloc_usable_size(block) : 0;
  if (size > old_size && refuse(size - old_size))
    return nullptr;
  void* moved = std::realloc(block, size == 0 ? 1 : size);
  if (moved != nullptr)
    gLiveBytes = gLiveBytes - old_size + malloc_usable_size(moved);
  return moved;
}

// FNV-1a: every byte of the input moves the refused request.
uint64_t input_hash(const uint8_t* data, size_t size) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (size_t i = 0; i < size; ++i)
    hash = (hash ^ data[i]) * 0x100000001b3u;
  return hash;
}

void print_counts() {
  if (gCounts.inputs == 0)
    return;
  std::fprintf(stderr,
               "fuzz heap: %llu inputs, %llu with a refused allocation (%llu requests refused, "
               "%llu of them past the input's budget of %zu KiB to %zu MiB)\n",
               static_cast<unsigned long long>(gCounts.inputs),
               static_cast<unsigned long long>(gCounts.inputs_with_refusal),
               static_cast<unsigned long long>(gCounts.refused_requests),
               static_cast<unsigned long long>(gCounts.refused_by_budget), kSmallestBudget >> 10,
               kLargestBudget >> 20);
}

} // namespace

void install() {
  dvhost::set_table_slot(dvhost::kSlotAllocate, reinterpret_cast<const void*>(&allocate_slot));
  dvhost::set_table_slot(dvhost::kSlotRelease, reinterpret_cast<const void*>(&release));
  dvhost::set_table_slot(dvhost::kSlotReallocate, reinterpret_cast<const void*>(&reallocate_slot));
  std::atexit(print_counts);
}

InputHeap::InputHeap(const uint8_t* data, size_t size) {
  const uint64_t hash = input_hash(data, size);
  gArmed = Armed{};
  gArmed.on = true;
  gArmed.live_at_start = gLiveBytes;
  static_assert(kSmallestBudget << 7 == kLargestBudget);
  gArmed.budget = kSmallestBudget << ((hash >> 24) % 8);
  // Request numbers from 1 to 2,048, about as many between each power of two and the next,
  // so that the first requests of a load and the late ones of a render are both reached.
  if ((hash & 1) != 0)
    gArmed.refuse_request = (1 + (hash >> 8) % 64) << ((hash >> 16) % 6);
}

InputHeap::~InputHeap() {
  ++gCounts.inputs;
  gCounts.inputs_with_refusal += gArmed.refused;
  gArmed = Armed{};
}

Counts counts() {
  return gCounts;
}

} // namespace fuzzheap

// The harness's global allocation operators, every form that is not over-aligned (those stay
// the sanitizer's, and pair with its own deletes). Inside an allocation scope they are the
// library's own (the artifact's operator new is dv::operator_new too), served by the heap
// above; outside one, they never fail short of the system running out.
void* operator new(size_t size) {
  if (dv::inside_allocation_scope())
    return dv::operator_new(size);
  if (void* block = fuzzheap::allocate(size))
    return block;
  throw std::bad_alloc();
}

void* operator new[](size_t size) {
  return ::operator new(size);
}

void operator delete(void* block) noexcept {
  fuzzheap::release(block);
}

void operator delete[](void* block) noexcept {
  fuzzheap::release(block);
}

void operator delete(void* block, size_t) noexcept {
  fuzzheap::release(block);
}

void operator delete[](void* block, size_t) noexcept {
  fuzzheap::release(block);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return ::operator new(size, std::nothrow);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
  fuzzheap::release(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
  fuzzheap::release(block);
}
