#include "runtime/services.h"

#include "runtime/export.h"

namespace dv {

uint64_t gLuaClockTicks = 0;

DV_FUNCTION(char*, getenv, (const char*)) {
  return nullptr;
}

DV_FUNCTION(int, system, (const char*)) {
  return -1;
}

DV_FUNCTION(uint64_t, clock, ()) {
  return gLuaClockTicks++;
}

DV_FUNCTION(int64_t, time, (int64_t * out)) {
  if (out != nullptr)
    *out = kFixedTime;
  return kFixedTime;
}

} // namespace dv
