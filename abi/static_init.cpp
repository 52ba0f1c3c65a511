#include "abi/static_init.h"

#include "runtime/export.h"

namespace dv {

DV_FUNCTION_AS(int, cxa_guard_acquire, "__cxa_guard_acquire", (uint64_t * guard) noexcept) {
  return (*reinterpret_cast<const uint8_t*>(guard) & 1) == 0 ? 1 : 0;
}

DV_FUNCTION_AS(void, cxa_guard_release, "__cxa_guard_release", (uint64_t * guard) noexcept) {
  *reinterpret_cast<uint8_t*>(guard) |= 1;
}

DV_FUNCTION_AS(void, cxa_guard_abort, "__cxa_guard_abort", (uint64_t*) noexcept) {}

DV_FUNCTION_AS(int, cxa_atexit, "__cxa_atexit", (void (*)(void*), void*, void*) noexcept) {
  return 0;
}

} // namespace dv
