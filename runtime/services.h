// Process services of a machine without an operating system: no environment, no
// commands, a call counter for a clock and a fixed calendar time.
#pragma once
#include <stdint.h>

namespace dv {

// Counts clock() calls; each call returns the count so far and then increments it.
extern uint64_t gLuaClockTicks;

// The calendar time time() always reports.
constexpr int64_t kFixedTime = 1146503734;

char* getenv(const char* name);
int system(const char* command);
uint64_t clock();
int64_t time(int64_t* out);

} // namespace dv
