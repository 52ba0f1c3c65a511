#include <gtest/gtest.h>

#include <stdint.h>

#include "runtime/int64.h"

namespace {

TEST(Int64, Shifts) {
  struct Case {
    int64_t value;
    int count;
    int64_t left, logical_right, arithmetic_right;
  };
  const Case cases[] = {
      {-8, 0, -8, -8, -8},         {-8, -1, -8, -8, -8},
      {-8, INT32_MIN, -8, -8, -8}, {-8, 1, -16, INT64_C(0x7FFFFFFFFFFFFFFC), -4},
      {1, 63, INT64_MIN, 0, 0},    {INT64_MIN, 63, 0, 1, -1},
      {-1, 64, 0, 0, -1},          {5, 64, 0, 0, 0},
      {-1, INT32_MAX, 0, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " by " << c.count);
    EXPECT_EQ(dv::__ashldi3(c.value, c.count), c.left);
    EXPECT_EQ(dv::__lshrdi3(c.value, c.count), c.logical_right);
    EXPECT_EQ(dv::__ashrdi3(c.value, c.count), c.arithmetic_right);
  }
}

TEST(Int64, UnsignedDivision) {
  struct Case {
    uint64_t dividend, divisor, quotient, remainder;
  };
  const Case cases[] = {
      {7, 0, 0, 0},
      {0, 0, 0, 0},
      {UINT64_MAX, 0, 0, 0},
      {7, 2, 3, 1},
      {UINT64_MAX, 1, UINT64_MAX, 0},
      {UINT64_MAX, UINT64_MAX, 1, 0},
      // A divisor above 2^63: the partial remainder carries out of 64 bits.
      {UINT64_MAX, (uint64_t{1} << 63) + 1, 1, (uint64_t{1} << 63) - 2},
      {uint64_t{1} << 63, 3, 3074457345618258602u, 2},
      {5, 9, 0, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dividend << " / " << c.divisor);
    EXPECT_EQ(dv::__udivdi3(c.dividend, c.divisor), c.quotient);
    EXPECT_EQ(dv::__umoddi3(c.dividend, c.divisor), c.remainder);
  }
}

TEST(Int64, SignedDivisionTruncatesTowardZero) {
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
      {INT64_MIN, -1, INT64_MIN, 0}, // the quotient 2^63 wraps
      {INT64_MIN, 1, INT64_MIN, 0},
      {INT64_MIN, INT64_MIN, 1, 0},
      {INT64_MAX, INT64_MIN, 0, INT64_MAX},
      {INT64_MIN, 10, -922337203685477580, -8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dividend << " / " << c.divisor);
    EXPECT_EQ(dv::__divdi3(c.dividend, c.divisor), c.quotient);
    EXPECT_EQ(dv::__moddi3(c.dividend, c.divisor), c.remainder);
  }
}

TEST(Int64, RestoringDivisionAgreesWithTheProcessor) {
  uint64_t state = 0x9E3779B97F4A7C15u;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  for (int i = 0; i < 20000; ++i) {
    const uint64_t dividend = next() >> (next() & 63);
    const uint64_t divisor = next() >> (next() & 63);
    if (divisor == 0)
      continue;
    uint64_t remainder = 0;
    ASSERT_EQ(dv::udivmod64(dividend, divisor, &remainder), dividend / divisor)
        << dividend << " / " << divisor;
    ASSERT_EQ(remainder, dividend % divisor);
    const auto a = static_cast<int64_t>(dividend), b = static_cast<int64_t>(divisor);
    if (!(a == INT64_MIN && b == -1)) {
      ASSERT_EQ(dv::__divdi3(a, b), a / b);
      ASSERT_EQ(dv::__moddi3(a, b), a % b);
    }
  }
}

} // namespace
