// The 64-bit integer helpers as other modules call them: by their compiler-support names.
#include <cstdint>

#include "artifact/artifact_fixture.h"

namespace {

class Int64Exports : public dvtest::ArtifactTest {};

TEST_F(Int64Exports, ShiftCountsZeroSixtyThreeSixtyFour) {
  auto* shl = fn<int64_t(int64_t, int)>("__ashldi3");
  auto* lshr = fn<int64_t(int64_t, int)>("__lshrdi3");
  auto* ashr = fn<int64_t(int64_t, int)>("__ashrdi3");
  struct Case {
    int64_t value;
    int count;
    int64_t left, logical_right, arithmetic_right;
  };
  const Case cases[] = {
      {-8, 0, -8, -8, -8},
      {-8, -5, -8, -8, -8},
      {-8, 1, -16, INT64_C(0x7FFFFFFFFFFFFFFC), -4},
      {1, 63, INT64_MIN, 0, 0},
      {INT64_MIN, 63, 0, 1, -1},
      {-1, 64, 0, 0, -1},
      {INT64_MAX, 64, 0, 0, 0},
      {-1, 1000, 0, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " by " << c.count);
    EXPECT_EQ(shl(c.value, c.count), c.left);
    EXPECT_EQ(lshr(c.value, c.count), c.logical_right);
    EXPECT_EQ(ashr(c.value, c.count), c.arithmetic_right);
  }
}

TEST_F(Int64Exports, UnsignedDivisionAndDivisorZero) {
  auto* udiv = fn<uint64_t(uint64_t, uint64_t)>("__udivdi3");
  auto* umod = fn<uint64_t(uint64_t, uint64_t)>("__umoddi3");
  struct Case {
    uint64_t dividend, divisor, quotient, remainder;
  };
  const Case cases[] = {
      {12345, 0, 0, 0},
      {UINT64_MAX, 0, 0, 0},
      {100, 7, 14, 2},
      {UINT64_MAX, 10, 1844674407370955161u, 5},
      {UINT64_MAX, (uint64_t{1} << 63) + 1, 1, (uint64_t{1} << 63) - 2},
      {3, UINT64_MAX, 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dividend << " / " << c.divisor);
    EXPECT_EQ(udiv(c.dividend, c.divisor), c.quotient);
    EXPECT_EQ(umod(c.dividend, c.divisor), c.remainder);
  }
}

TEST_F(Int64Exports, SignedDivisionNegativeOperandsAndDivisorZero) {
  auto* sdiv = fn<int64_t(int64_t, int64_t)>("__divdi3");
  auto* smod = fn<int64_t(int64_t, int64_t)>("__moddi3");
  struct Case {
    int64_t dividend, divisor, quotient, remainder;
  };
  const Case cases[] = {
      {7, 2, 3, 1},
      {-7, 2, -3, -1},
      {7, -2, -3, 1},
      {-7, -2, 3, -1},
      {-7, 0, 0, 0},
      {INT64_MIN, 0, 0, 0},
      {INT64_MIN, -1, INT64_MIN, 0},
      {INT64_MIN, 7, -1317624576693539401, -1},
      {INT64_MAX, INT64_MIN, 0, INT64_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dividend << " / " << c.divisor);
    EXPECT_EQ(sdiv(c.dividend, c.divisor), c.quotient);
    EXPECT_EQ(smod(c.dividend, c.divisor), c.remainder);
  }
}

} // namespace
