#include "abi/operator_new.h"

#include "abi/allocation_scope.h"
#include "runtime/malloc.h"

namespace dv {

void* operator_new(size_t size) {
  void* block = dv::malloc(size == 0 ? 1 : size);
  if (!block)
    dv::allocation_failed();
  return block;
}

void operator_delete(void* pointer) noexcept {
  dv::free(pointer);
}

} // namespace dv

#if defined(DV_ARTIFACT)

// The replaceable global operators. There is no new-handler and no bad_alloc: running
// out of memory halts the machine, except inside the font entry points, where it throws
// the library's own AllocationFailure (abi/allocation_scope.h).
[[gnu::visibility("default")]] void* operator new(size_t size) {
  return dv::operator_new(size);
}

[[gnu::visibility("default")]] void* operator new[](size_t size) {
  return dv::operator_new(size);
}

[[gnu::visibility("default")]] void operator delete(void* pointer) noexcept {
  dv::operator_delete(pointer);
}

[[gnu::visibility("default")]] void operator delete[](void* pointer) noexcept {
  dv::operator_delete(pointer);
}

[[gnu::visibility("default")]] void operator delete(void* pointer, size_t) noexcept {
  dv::operator_delete(pointer);
}

[[gnu::visibility("default")]] void operator delete[](void* pointer, size_t) noexcept {
  dv::operator_delete(pointer);
}

#endif
