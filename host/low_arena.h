// A first-fit allocator over one reserved address range below 2 GiB. Bookkeeping lives
// outside the range (ordinary host memory), so a library that scribbles over its
// blocks cannot corrupt it. Blocks are 16-byte aligned.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <utility>

namespace dvhost {

class LowArena {
public:
  explicit LowArena(size_t capacity);
  ~LowArena();
  LowArena(const LowArena&) = delete;
  LowArena& operator=(const LowArena&) = delete;

  // Returns a block of at least `size` bytes (rounded up to 16, at least 16), or null
  // when the range is exhausted. The rounded size is what release() expects.
  void* allocate(size_t size);
  void release(void* block, size_t size);
  bool contains(const void* address) const;

  static size_t rounded(size_t size);

private:
  void reserve();
  void insert_free(uintptr_t start, size_t length);
  void erase_free(std::map<uintptr_t, size_t>::iterator it);

  size_t capacity_;
  uintptr_t base_ = 0;
  std::map<uintptr_t, size_t> free_by_address_;
  std::set<std::pair<size_t, uintptr_t>> free_by_size_;
};

} // namespace dvhost
