#include "abi/exception_alloc.h"

#include "abi/exception_header.h"
#include "abi/terminate.h"
#include "runtime/export.h"
#include "runtime/malloc.h"
#include "runtime/memory.h"

namespace dv {

DovrelExceptionHeader* gCaughtException = nullptr;

DV_FUNCTION_AS(void*, cxa_allocate_exception, "__cxa_allocate_exception", (size_t size) noexcept) {
  size_t object_size = size == 0 ? 1 : size;
  if (object_size > ~size_t(0) - sizeof(DovrelExceptionHeader))
    dv::terminate();
  size_t block_size = sizeof(DovrelExceptionHeader) + object_size;
  void* block = dv::malloc(block_size);
  if (!block)
    dv::terminate();
  dv::memset(block, 0, block_size);
  return object_from_header(static_cast<DovrelExceptionHeader*>(block));
}

DV_FUNCTION_AS(void, cxa_free_exception, "__cxa_free_exception", (void* object) noexcept) {
  if (object)
    dv::free(header_from_object(object));
}

DV_FUNCTION_AS(void*, cxa_begin_catch, "__cxa_begin_catch", (void* exception) noexcept) {
  if (!exception)
    return nullptr;
  auto* header = static_cast<DovrelExceptionHeader*>(exception);
  header->next_caught = gCaughtException;
  header->rethrown = 0;
  gCaughtException = header;
  return object_from_header(header);
}

} // namespace dv
