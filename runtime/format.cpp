#include "runtime/format.h"

#include <stdint.h>

#include "runtime/export.h"
#include "runtime/truncate.h"

namespace dv {
namespace {

constexpr int kFractionDigits = 6;
constexpr uint64_t kMaxResult = 0x7fffffff;
// From 2^52 on every double is a whole number.
constexpr double kFirstWholeOnly = 4503599627370496.0;

// Collects the output: stores what fits, counts everything.
class BoundedOutput {
public:
  BoundedOutput(char* buffer, size_t size) : buffer_(size != 0 ? buffer : nullptr), size_(size) {
    if (buffer_ != nullptr)
      buffer_[0] = '\0';
  }

  void put(char c) {
    if (buffer_ != nullptr && stored_ < size_ - 1)
      buffer_[stored_++] = c;
    ++count_;
  }

  void put(const char* text) {
    while (*text != '\0')
      put(*text++);
  }

  int finish() {
    if (buffer_ != nullptr)
      buffer_[stored_] = '\0';
    return static_cast<int>(count_ < kMaxResult ? count_ : kMaxResult);
  }

private:
  char* buffer_;
  size_t size_;
  size_t stored_ = 0;
  uint64_t count_ = 0;
};

void put_unsigned(BoundedOutput& out, uint32_t value, uint32_t base, const char* digits) {
  char scratch[32];
  int length = 0;
  do {
    scratch[length++] = digits[value % base];
    value /= base;
  } while (value != 0);
  while (length > 0)
    out.put(scratch[--length]);
}

void put_decimal(BoundedOutput& out, uint32_t value) {
  put_unsigned(out, value, 10, "0123456789");
}

void put_signed(BoundedOutput& out, uint32_t bits) {
  if ((bits & 0x80000000u) != 0) {
    out.put('-');
    bits = 0u - bits;
  }
  put_decimal(out, bits);
}

// The fraction left after removing the whole part; 0 for NaN and infinities.
double fraction_of(double magnitude) {
  if (!(magnitude < kFirstWholeOnly))
    return 0.0;
  return magnitude - static_cast<double>(truncate_to_int64(magnitude));
}

void put_fixed(BoundedOutput& out, double value) {
  if (value < 0) {
    out.put('-');
    value = -value;
  }
  // Values from 2^63 on, infinities and NaN convert to the processor's integer
  // indefinite value, whose low 32 bits are 0.
  put_decimal(out, static_cast<uint32_t>(static_cast<uint64_t>(truncate_to_int64(value))));
  out.put('.');
  double fraction = fraction_of(value);
  for (int i = 0; i < kFractionDigits; ++i) {
    const double scaled = fraction * 10.0;
    int digit = static_cast<int>(truncate_to_int64(scaled));
    if (digit > 9)
      digit = 9;
    out.put(static_cast<char>('0' + digit));
    fraction = scaled - digit;
  }
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool is_length_letter(char c) {
  return c == 'h' || c == 'l' || c == 't' || c == 'z';
}

// Skips width, precision and length letters; they have no effect.
const char* skip_modifiers(const char* format) {
  while (is_digit(*format))
    ++format;
  if (*format == '.') {
    ++format;
    while (is_digit(*format))
      ++format;
  }
  while (is_length_letter(*format))
    ++format;
  return format;
}

// Integer arguments take one argument slot; only its low 32 bits count.
uint32_t next_integer(va_list& arguments) {
  return static_cast<uint32_t>(va_arg(arguments, uint64_t));
}

void put_conversion(BoundedOutput& out, char letter, va_list& arguments) {
  switch (letter) {
  case 'd':
  case 'i':
  case 'I':
    put_signed(out, next_integer(arguments));
    break;
  case 'u':
    put_decimal(out, next_integer(arguments));
    break;
  case 'x':
    put_unsigned(out, next_integer(arguments), 16, "0123456789abcdef");
    break;
  case 'X':
    put_unsigned(out, next_integer(arguments), 16, "0123456789ABCDEF");
    break;
  case 'c':
    out.put(static_cast<char>(next_integer(arguments) & 0xff));
    break;
  case 's': {
    const char* text = va_arg(arguments, const char*);
    out.put(text != nullptr ? text : "(null)");
    break;
  }
  case 'p':
    out.put("0x");
    put_unsigned(out, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(va_arg(arguments, void*))),
                 16, "0123456789abcdef");
    break;
  case 'f':
    put_fixed(out, va_arg(arguments, double));
    break;
  default:
    out.put('?');
    break;
  }
}

} // namespace

DV_FUNCTION(int, vsnprintf, (char* buffer, size_t size, const char* format, va_list arguments)) {
  BoundedOutput out(buffer, size);
  if (format == nullptr)
    return out.finish();
  va_list remaining;
  va_copy(remaining, arguments);
  while (*format != '\0') {
    if (*format != '%') {
      out.put(*format++);
      continue;
    }
    ++format;
    if (*format == '%') {
      out.put('%');
      ++format;
      continue;
    }
    format = skip_modifiers(format);
    if (*format == '\0')
      break;
    put_conversion(out, *format++, remaining);
  }
  va_end(remaining);
  return out.finish();
}

DV_FUNCTION(int, snprintf, (char* buffer, size_t size, const char* format, ...)) {
  va_list arguments;
  va_start(arguments, format);
  const int result = dv::vsnprintf(buffer, size, format, arguments);
  va_end(arguments);
  return result;
}

} // namespace dv
