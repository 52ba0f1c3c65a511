#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "font/text/pixel_rounding.h"

namespace {

using pixel_rounding::kLimit;

struct RoundingCase {
  double value;
  int64_t floor;
  int64_t ceil;
  int64_t nearest;
};

TEST(PixelRounding, EveryDoubleHasADefinedInteger) {
  const double inf = std::numeric_limits<double>::infinity();
  const RoundingCase cases[] = {
      {0.0, 0, 0, 0},
      {-0.0, 0, 0, 0},
      {2.5, 2, 3, 3},
      {-2.5, -3, -2, -3},
      {7.0, 7, 7, 7},
      {-7.25, -8, -7, -7},
      {1e300, kLimit, kLimit, kLimit},
      {-1e300, -kLimit, -kLimit, -kLimit},
      {inf, kLimit, kLimit, kLimit},
      {-inf, -kLimit, -kLimit, -kLimit},
      {std::nan(""), 0, 0, 0},
  };
  for (const RoundingCase& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(pixel_rounding::floor_to_int64(c.value), c.floor);
    EXPECT_EQ(pixel_rounding::ceil_to_int64(c.value), c.ceil);
    EXPECT_EQ(pixel_rounding::nearest_to_int64(c.value), c.nearest);
  }
}

TEST(PixelRounding, SaturatesToInt32) {
  EXPECT_EQ(pixel_rounding::saturate_to_int32(int64_t{INT32_MAX} + 1), INT32_MAX);
  EXPECT_EQ(pixel_rounding::saturate_to_int32(int64_t{INT32_MIN} - 1), INT32_MIN);
  EXPECT_EQ(pixel_rounding::saturate_to_int32(-kLimit), INT32_MIN);
  EXPECT_EQ(pixel_rounding::saturate_to_int32(-12), -12);
}

} // namespace
