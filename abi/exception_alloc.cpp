#include "abi/exception_alloc.h"

#include "abi/allocation_scope.h"
#include "abi/exception_header.h"
#include "abi/terminate.h"
#include "runtime/export.h"
#include "runtime/malloc.h"
#include "runtime/memory.h"

namespace dv {

DovrelExceptionHeader* gCaughtException = nullptr;

namespace {

// The block an allocation failure is thrown in when the heap has nothing left: room for
// the header and a small object, used by one exception at a time.
constexpr size_t kReservedObjectBytes = 16;
struct alignas(16) ReservedExceptionBlock {
  unsigned char bytes[sizeof(DovrelExceptionHeader) + kReservedObjectBytes];
};
ReservedExceptionBlock gReservedException;
bool gReservedExceptionInUse = false;

// The exception word of the reserved block. No heap block can start there: it would end
// past 4 GiB, and the header alone does not fit below.
constexpr uint32_t kReservedExceptionWord = 0xFFFFFFF0u;

DovrelExceptionHeader* reserved_header() {
  return reinterpret_cast<DovrelExceptionHeader*>(gReservedException.bytes);
}

void* take_reserved_block(size_t block_size) {
  if (!inside_allocation_scope() || gReservedExceptionInUse ||
      block_size > sizeof(gReservedException))
    return nullptr;
  gReservedExceptionInUse = true;
  return gReservedException.bytes;
}

} // namespace

DV_FUNCTION_AS(void*, cxa_allocate_exception, "__cxa_allocate_exception", (size_t size) noexcept) {
  size_t object_size = size == 0 ? 1 : size;
  if (object_size > ~size_t(0) - sizeof(DovrelExceptionHeader))
    dv::terminate();
  size_t block_size = sizeof(DovrelExceptionHeader) + object_size;
  void* block = dv::malloc(block_size);
  if (!block)
    block = take_reserved_block(block_size);
  if (!block)
    dv::terminate();
  dv::memset(block, 0, block_size);
  return object_from_header(static_cast<DovrelExceptionHeader*>(block));
}

DV_FUNCTION_AS(void, cxa_free_exception, "__cxa_free_exception", (void* object) noexcept) {
  if (!object)
    return;
  DovrelExceptionHeader* header = header_from_object(object);
  if (header == reserved_header())
    gReservedExceptionInUse = false;
  else
    dv::free(header);
}

DV_FUNCTION_AS(void*, cxa_begin_catch, "__cxa_begin_catch", (void* exception) noexcept) {
  if (!exception)
    return nullptr;
  auto* header = header_from_exception_word(exception);
  header->next_caught = gCaughtException;
  header->rethrown = 0;
  gCaughtException = header;
  return object_from_header(header);
}

bool exception_word(const DovrelExceptionHeader* header, uint32_t* word) noexcept {
  if (header == reserved_header()) {
    *word = kReservedExceptionWord;
    return true;
  }
  const uintptr_t address = reinterpret_cast<uintptr_t>(header);
  if (address > UINT32_MAX || address == kReservedExceptionWord)
    return false;
  *word = static_cast<uint32_t>(address);
  return true;
}

DovrelExceptionHeader* header_from_exception_word(void* exception) noexcept {
  if (reinterpret_cast<uintptr_t>(exception) == kReservedExceptionWord)
    return reserved_header();
  return static_cast<DovrelExceptionHeader*>(exception);
}

} // namespace dv
