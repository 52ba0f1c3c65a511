// The allocation side of exceptions: blocks holding a header and the thrown object.
#pragma once
#include <stddef.h>

namespace dv {

// Zeroed block of the header plus `size` bytes (one byte more when `size` is 0); returns
// the object's address. Terminates when the heap is exhausted.
void* cxa_allocate_exception(size_t size) noexcept;
// Frees the block of an object from cxa_allocate_exception; null does nothing.
void cxa_free_exception(void* object) noexcept;
// Pushes the exception (a header address) onto the caught stack; returns the object.
// Null returns null and changes nothing.
void* cxa_begin_catch(void* exception) noexcept;

} // namespace dv
