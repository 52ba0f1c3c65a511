// Replaces the global operator new / delete with versions that keep the requested size in
// a header in front of each block and add it to a process-wide counter.
#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> g_live_bytes{0};
// Keeps the block after the header aligned for any type operator new must serve.
constexpr size_t kHeader = alignof(std::max_align_t);

void* counted_allocate(size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (block == nullptr)
    throw std::bad_alloc();
  *reinterpret_cast<size_t*>(block) = size;
  g_live_bytes += size;
  return block + kHeader;
}

void counted_release(void* pointer) {
  if (pointer == nullptr)
    return;
  auto* block = static_cast<unsigned char*>(pointer) - kHeader;
  g_live_bytes -= *reinterpret_cast<size_t*>(block);
  std::free(block);
}

} // namespace

namespace bench {

size_t live_new_bytes() {
  return g_live_bytes.load();
}

} // namespace bench

void* operator new(size_t size) {
  return counted_allocate(size);
}
void* operator new[](size_t size) {
  return counted_allocate(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return counted_allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return operator new(size, std::nothrow);
}
void operator delete(void* pointer) noexcept {
  counted_release(pointer);
}
void operator delete[](void* pointer) noexcept {
  counted_release(pointer);
}
void operator delete(void* pointer, size_t) noexcept {
  counted_release(pointer);
}
void operator delete[](void* pointer, size_t) noexcept {
  counted_release(pointer);
}
