#include "runtime/malloc.h"

#include "runtime/export.h"
#include "runtime/program_api.h"

namespace dv {

DV_FUNCTION(void*, malloc, (size_t size)) {
  auto* allocate = program_api_function<void*(size_t)>(kSlotAllocate);
  return allocate ? allocate(size) : nullptr;
}

DV_FUNCTION(void, free, (void* block)) {
  if (auto* release = program_api_function<void(void*)>(kSlotRelease))
    release(block);
}

DV_FUNCTION(void*, realloc, (void* block, size_t size)) {
  auto* reallocate = program_api_function<void*(void*, size_t)>(kSlotReallocate);
  return reallocate ? reallocate(block, size) : nullptr;
}

} // namespace dv
