#include "host/low_arena.h"

#include <sys/mman.h>

#include <stdexcept>

namespace dvhost {

LowArena::LowArena(size_t capacity) : capacity_(capacity) {}

LowArena::~LowArena() {
  if (base_ != 0)
    munmap(reinterpret_cast<void*>(base_), capacity_);
}

size_t LowArena::rounded(size_t size) {
  if (size == 0)
    size = 1;
  return (size + 15) & ~size_t(15);
}

void LowArena::reserve() {
  void* range = mmap(nullptr, capacity_, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT | MAP_NORESERVE, -1, 0);
  if (range == MAP_FAILED)
    throw std::runtime_error("cannot reserve host memory below 2 GiB");
  base_ = reinterpret_cast<uintptr_t>(range);
  insert_free(base_, capacity_);
}

void LowArena::insert_free(uintptr_t start, size_t length) {
  free_by_address_.emplace(start, length);
  free_by_size_.emplace(length, start);
}

void LowArena::erase_free(std::map<uintptr_t, size_t>::iterator it) {
  free_by_size_.erase({it->second, it->first});
  free_by_address_.erase(it);
}

void* LowArena::allocate(size_t size) {
  if (base_ == 0)
    reserve();
  if (size > capacity_)
    return nullptr;
  size_t need = rounded(size);
  auto fit = free_by_size_.lower_bound({need, 0});
  if (fit == free_by_size_.end())
    return nullptr;
  auto [length, start] = *fit;
  erase_free(free_by_address_.find(start));
  if (length > need)
    insert_free(start + need, length - need);
  return reinterpret_cast<void*>(start);
}

void LowArena::release(void* block, size_t size) {
  uintptr_t start = reinterpret_cast<uintptr_t>(block);
  size_t length = rounded(size);
  auto next = free_by_address_.lower_bound(start);
  if (next != free_by_address_.end() && start + length == next->first) {
    length += next->second;
    erase_free(next);
  }
  auto previous = free_by_address_.lower_bound(start);
  if (previous != free_by_address_.begin()) {
    --previous;
    if (previous->first + previous->second == start) {
      start = previous->first;
      length += previous->second;
      erase_free(previous);
    }
  }
  insert_free(start, length);
}

bool LowArena::contains(const void* address) const {
  uintptr_t value = reinterpret_cast<uintptr_t>(address);
  return base_ != 0 && value >= base_ && value - base_ < capacity_;
}

} // namespace dvhost
