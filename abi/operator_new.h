// The global allocation operators' behaviour. In the artifact the real global
// operator new/delete forward here; the hosted build (dvcore) keeps the system's
// operators and only has these functions.
#pragma once
#include <stddef.h>

namespace dv {

// malloc(size), 1 byte for size 0 so every call gives a distinct pointer. Never returns
// null: when the heap is exhausted it halts, or throws AllocationFailure inside an
// allocation scope (abi/allocation_scope.h).
void* operator_new(size_t size);
// free(pointer), null included.
void operator_delete(void* pointer) noexcept;

} // namespace dv
