// The allocation side of exceptions: blocks holding a header and the thrown object.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace dv {

struct DovrelExceptionHeader;

// Zeroed block of the header plus `size` bytes (one byte more when `size` is 0); returns
// the object's address. When the heap is exhausted: inside an allocation scope a block
// reserved in the library serves a small object (so that allocation failure can be
// thrown), otherwise it terminates.
void* cxa_allocate_exception(size_t size) noexcept;
// Frees the block of an object from cxa_allocate_exception; null does nothing.
void cxa_free_exception(void* object) noexcept;
// Pushes the exception (its exception word) onto the caught stack; returns the object.
// Null returns null and changes nothing.
void* cxa_begin_catch(void* exception) noexcept;

// The 32-bit word a landing pad receives for `header`: its address, or a fixed word for
// the reserved block (which lies wherever the library was loaded). False when the word
// cannot name the header.
bool exception_word(const DovrelExceptionHeader* header, uint32_t* word) noexcept;
// The header a landing pad's exception word names.
DovrelExceptionHeader* header_from_exception_word(void* exception) noexcept;

} // namespace dv
