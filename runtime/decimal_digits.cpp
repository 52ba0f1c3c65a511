#include "runtime/decimal_digits.h"

namespace dv {
namespace {

constexpr uint32_t kLimbBase = 1000000000; // nine decimal digits a limb
constexpr int kMaxLimbs = DecimalDigits::kCapacity / 9 + 1;

// A nonnegative integer in base 10^9, least significant limb first.
struct BigDecimal {
  uint32_t limbs[kMaxLimbs];
  int count = 0;

  explicit BigDecimal(uint64_t value) {
    while (value != 0) {
      limbs[count++] = static_cast<uint32_t>(value % kLimbBase);
      value /= kLimbBase;
    }
  }

  // limb * factor + carry < 10^9 * 2^32 + 2^32 fits in 64 bits, and the carry out stays
  // below 2^32; a product needing a limb past the last is impossible for the values a
  // double gives (at most 767 digits).
  void multiply(uint32_t factor) {
    uint64_t carry = 0;
    for (int i = 0; i < count; ++i) {
      const uint64_t product = uint64_t{limbs[i]} * factor + carry;
      limbs[i] = static_cast<uint32_t>(product % kLimbBase);
      carry = product / kLimbBase;
    }
    while (carry != 0 && count < kMaxLimbs) {
      limbs[count++] = static_cast<uint32_t>(carry % kLimbBase);
      carry /= kLimbBase;
    }
  }

  // Multiplies by base^exponent, `chunk` = base^chunk_exponent < 2^32 at a time.
  void multiply_power(uint32_t base, int exponent, uint32_t chunk, int chunk_exponent) {
    for (; exponent >= chunk_exponent; exponent -= chunk_exponent)
      multiply(chunk);
    uint32_t rest = 1;
    for (; exponent > 0; --exponent)
      rest *= base;
    multiply(rest);
  }

  // Writes the digits, most significant first, without leading zeros; returns how many.
  int write(char* out) const {
    int written = 0;
    for (int i = count - 1; i >= 0; --i) {
      char limb[9];
      uint32_t value = limbs[i];
      for (int d = 8; d >= 0; --d) {
        limb[d] = static_cast<char>('0' + value % 10);
        value /= 10;
      }
      for (int d = 0; d < 9; ++d) {
        if (written == 0 && limb[d] == '0')
          continue;
        out[written++] = limb[d];
      }
    }
    return written;
  }
};

} // namespace

void exact_decimal(double value, DecimalDigits& out) {
  const uint64_t bits = __builtin_bit_cast(uint64_t, value);
  out.negative = (bits >> 63) != 0;
  const int biased = static_cast<int>(bits >> 52 & 0x7FF);
  const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  // value = mantissa * 2^exponent (subnormals have no implicit bit).
  const uint64_t mantissa = biased == 0 ? fraction : fraction | uint64_t{1} << 52;
  const int exponent = (biased == 0 ? 1 : biased) - 1075;
  BigDecimal number(mantissa);
  int scale = 0; // value = number / 10^scale
  if (exponent >= 0) {
    number.multiply_power(2, exponent, 1u << 31, 31);
  } else {
    number.multiply_power(5, -exponent, 1220703125u, 13); // 5^13
    scale = -exponent;
  }
  out.count = number.write(out.digits);
  // Trailing zeros carry nothing: drop them so the digits stay few.
  while (out.count > 0 && out.digits[out.count - 1] == '0') {
    --out.count;
    --scale;
  }
  out.point = out.count > 0 ? out.count - scale : 0;
}

void round_decimal(DecimalDigits& number, int keep) {
  if (keep >= number.count)
    return;
  bool up = false;
  if (keep >= 0) {
    const char first_dropped = number.digits[keep];
    bool rest_nonzero = false;
    for (int i = keep + 1; i < number.count; ++i)
      rest_nonzero = rest_nonzero || number.digits[i] != '0';
    const bool last_kept_odd = keep > 0 && (number.digits[keep - 1] - '0') % 2 == 1;
    up = first_dropped > '5' || (first_dropped == '5' && (rest_nonzero || last_kept_odd));
  }
  number.count = keep > 0 ? keep : 0;
  if (!up) {
    while (number.count > 0 && number.digits[number.count - 1] == '0')
      --number.count;
    return;
  }
  // Add one unit in the last kept place; trailing nines become zeros and are dropped.
  while (number.count > 0 && number.digits[number.count - 1] == '9')
    --number.count;
  if (number.count > 0) {
    ++number.digits[number.count - 1];
    return;
  }
  // Every kept digit was a nine, or none was kept: 0.99...9 * 10^point plus one unit of
  // the last place (10^(point - keep)) is 10^point, the single digit 1 one place up.
  number.digits[0] = '1';
  number.count = 1;
  ++number.point;
}

} // namespace dv
