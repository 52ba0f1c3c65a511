// Function-local statics: initialisation guards and destructor registration. One
// thread, nothing torn down: guards are plain bit tests, __cxa_atexit registers nothing.
#pragma once
#include <stdint.h>

namespace dv {

// 1 when bit 0 of the guard's first byte is clear (the caller must initialise), else 0.
int cxa_guard_acquire(uint64_t* guard) noexcept;
// Sets bit 0 of the guard's first byte.
void cxa_guard_release(uint64_t* guard) noexcept;
// Leaves the guard clear, so a later call initialises again.
void cxa_guard_abort(uint64_t* guard) noexcept;
// Registers nothing; returns 0. Static destructors never run.
int cxa_atexit(void (*function)(void*), void* argument, void* dso) noexcept;

} // namespace dv
