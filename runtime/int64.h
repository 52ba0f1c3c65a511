// 64-bit integer routines under the customary compiler-support names, for modules built
// for targets that call them. Every input has a defined answer: a divisor of 0 gives 0,
// shift counts <= 0 leave the value alone and counts >= 64 shift everything out.
#pragma once
#include <stdint.h>

namespace dv {

// Restoring division, one quotient bit per step from bit 63 down; division by 0 gives
// quotient 0 and remainder 0. `remainder` may be null.
uint64_t udivmod64(uint64_t dividend, uint64_t divisor, uint64_t* remainder);

int64_t __ashldi3(int64_t value, int count);
int64_t __lshrdi3(int64_t value, int count);
int64_t __ashrdi3(int64_t value, int count);
uint64_t __udivdi3(uint64_t dividend, uint64_t divisor);
uint64_t __umoddi3(uint64_t dividend, uint64_t divisor);
// Quotient negative when exactly one operand is; remainder takes the dividend's sign.
int64_t __divdi3(int64_t dividend, int64_t divisor);
int64_t __moddi3(int64_t dividend, int64_t divisor);

} // namespace dv
