#include "font/text/pixel_rounding.h"

#include "runtime/math.h"
#include "runtime/truncate.h"

namespace pixel_rounding {
namespace {

// NaN and out-of-range values, or false when `value` converts as it is.
bool out_of_range(double value, int64_t* result) {
  if (value != value) {
    *result = 0;
    return true;
  }
  if (value >= static_cast<double>(kLimit)) {
    *result = kLimit;
    return true;
  }
  if (value <= -static_cast<double>(kLimit)) {
    *result = -kLimit;
    return true;
  }
  return false;
}

} // namespace

int64_t floor_to_int64(double value) {
  int64_t result = 0;
  if (out_of_range(value, &result)) {
    return result;
  }
  result = dv::truncate_to_int64(value);
  return static_cast<double>(result) > value ? result - 1 : result;
}

int64_t ceil_to_int64(double value) {
  int64_t result = 0;
  if (out_of_range(value, &result)) {
    return result;
  }
  result = dv::truncate_to_int64(value);
  return static_cast<double>(result) < value ? result + 1 : result;
}

int64_t nearest_to_int64(double value) {
  int64_t result = 0;
  if (out_of_range(value, &result)) {
    return result;
  }
  return dv::lround(value);
}

int32_t saturate_to_int32(int64_t value) {
  if (value > INT32_MAX) {
    return INT32_MAX;
  }
  if (value < INT32_MIN) {
    return INT32_MIN;
  }
  return static_cast<int32_t>(value);
}

} // namespace pixel_rounding
