#include "runtime/format.h"

#include <stdint.h>

#include "runtime/decimal_digits.h"
#include "runtime/export.h"

namespace dv {
namespace {

constexpr uint64_t kMaxResult = 0x7fffffff;
constexpr int kMaxField = 0x7fffffff; // widths and precisions saturate here
constexpr int kDefaultPrecision = 6;

// Collects the output: stores what fits, counts everything.
class BoundedOutput {
public:
  BoundedOutput(char* buffer, size_t size) : buffer_(size != 0 ? buffer : nullptr), size_(size) {
    if (buffer_ != nullptr)
      buffer_[0] = '\0';
  }

  void put(char c) { repeat(c, 1); }

  void put(const char* text, uint64_t length) {
    for (uint64_t i = 0; i < length; ++i)
      put(text[i]);
  }

  // `count` copies of `c`: only those that fit are written, so a huge width costs nothing.
  void repeat(char c, uint64_t count) {
    for (uint64_t i = 0; i < count && buffer_ != nullptr && stored_ < size_ - 1; ++i)
      buffer_[stored_++] = c;
    count_ += count;
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

struct Spec {
  bool left = false;
  bool zero = false;
  bool plus = false;
  bool space = false;
  bool alternate = false;
  int width = 0;
  int precision = -1; // none given
  char length = 0;    // 'H' hh, 'h', 'l' (also ll, j, z, t), 'L'
};

// A field's body as a few runs of text and of one repeated character.
class Pieces {
public:
  void text(const char* text, uint64_t length) { add(text, length, 0); }
  void fill(char c, uint64_t count) { add(nullptr, count, c); }
  uint64_t total() const { return total_; }

  void put(BoundedOutput& out) const {
    for (int i = 0; i < count_; ++i) {
      if (runs_[i].text != nullptr)
        out.put(runs_[i].text, runs_[i].length);
      else
        out.repeat(runs_[i].fill, runs_[i].length);
    }
  }

private:
  struct Run {
    const char* text;
    uint64_t length;
    char fill;
  };
  void add(const char* text, uint64_t length, char fill) {
    if (length == 0 || count_ == kRuns)
      return;
    runs_[count_++] = Run{text, length, fill};
    total_ += length;
  }
  static constexpr int kRuns = 8;
  Run runs_[kRuns];
  int count_ = 0;
  uint64_t total_ = 0;
};

uint64_t text_length(const char* text) {
  uint64_t length = 0;
  while (text[length] != '\0')
    ++length;
  return length;
}

// Pads `prefix` (sign, 0x) and `body` to the width: spaces before, zeros between the
// two when the '0' flag applies, or spaces after a left-justified field.
void put_field(BoundedOutput& out, const Spec& spec, const char* prefix, const Pieces& body,
               bool zero_pads) {
  const uint64_t length = text_length(prefix) + body.total();
  const uint64_t pad = static_cast<uint64_t>(spec.width) > length ? spec.width - length : 0;
  const bool zeros = zero_pads && spec.zero && !spec.left;
  if (!spec.left && !zeros)
    out.repeat(' ', pad);
  out.put(prefix, text_length(prefix));
  if (zeros)
    out.repeat('0', pad);
  body.put(out);
  if (spec.left)
    out.repeat(' ', pad);
}

const char* sign_prefix(const Spec& spec, bool negative) {
  return negative ? "-" : spec.plus ? "+" : spec.space ? " " : "";
}

int64_t next_signed(const Spec& spec, va_list& arguments) {
  switch (spec.length) {
  case 'H':
    return static_cast<signed char>(va_arg(arguments, int));
  case 'h':
    return static_cast<short>(va_arg(arguments, int));
  case 'l':
    return va_arg(arguments, long long);
  default:
    return va_arg(arguments, int);
  }
}

uint64_t next_unsigned(const Spec& spec, va_list& arguments) {
  switch (spec.length) {
  case 'H':
    return static_cast<unsigned char>(va_arg(arguments, unsigned int));
  case 'h':
    return static_cast<unsigned short>(va_arg(arguments, unsigned int));
  case 'l':
    return va_arg(arguments, unsigned long long);
  default:
    return va_arg(arguments, unsigned int);
  }
}

void put_integer(BoundedOutput& out, const Spec& spec, char letter, va_list& arguments) {
  bool negative = false;
  uint64_t magnitude = 0;
  if (letter == 'd' || letter == 'i' || letter == 'I') {
    const int64_t value = next_signed(spec, arguments);
    negative = value < 0;
    magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  } else {
    magnitude = next_unsigned(spec, arguments);
  }
  const uint32_t base = letter == 'o' ? 8 : (letter == 'x' || letter == 'X') ? 16 : 10;
  const char* digit_set = letter == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  char digits[24];
  int first = sizeof digits;
  for (uint64_t rest = magnitude; rest != 0; rest /= base)
    digits[--first] = digit_set[rest % base];
  const int count = static_cast<int>(sizeof digits) - first;
  int precision = spec.precision < 0 ? 1 : spec.precision;
  if (letter == 'o' && spec.alternate && precision <= count)
    precision = count + 1; // the leading 0 of the alternate form
  const char* prefix = sign_prefix(spec, negative);
  if (letter == 'o' || letter == 'u' || letter == 'x' || letter == 'X')
    prefix = spec.alternate && magnitude != 0 && base == 16 ? (letter == 'X' ? "0X" : "0x") : "";
  Pieces body;
  body.fill('0', precision > count ? static_cast<uint64_t>(precision - count) : 0);
  body.text(digits + first, static_cast<uint64_t>(count));
  put_field(out, spec, prefix, body, spec.precision < 0);
}

// The digits of a fixed-point number with `precision` fraction digits, `number` already
// rounded to that place.
void fixed_pieces(const DecimalDigits& number, int precision, bool point, Pieces& body) {
  if (number.count == 0 || number.point <= 0) {
    body.text("0", 1);
  } else {
    const int whole = number.point < number.count ? number.point : number.count;
    body.text(number.digits, static_cast<uint64_t>(whole));
    body.fill('0', static_cast<uint64_t>(number.point - whole));
  }
  if (precision > 0 || point)
    body.text(".", 1);
  if (number.count == 0) {
    body.fill('0', static_cast<uint64_t>(precision));
    return;
  }
  const int leading =
      number.point < 0 ? (-number.point < precision ? -number.point : precision) : 0;
  body.fill('0', static_cast<uint64_t>(leading));
  const int start = number.point > 0 ? number.point : 0;
  const int available = number.count > start ? number.count - start : 0;
  const int shown = available < precision - leading ? available : precision - leading;
  body.text(number.digits + start, static_cast<uint64_t>(shown));
  body.fill('0', static_cast<uint64_t>(precision - leading - shown));
}

// d.ddde+XX, `number` already rounded to precision + 1 digits; `exponent` holds the "e+XX".
void exponent_pieces(const DecimalDigits& number, int precision, bool point, bool upper,
                     char (&exponent)[8], Pieces& body) {
  body.text(number.count > 0 ? number.digits : "0", 1);
  if (precision > 0 || point)
    body.text(".", 1);
  const int rest = number.count > 1 ? number.count - 1 : 0;
  const int shown = rest < precision ? rest : precision;
  body.text(number.digits + 1, static_cast<uint64_t>(shown));
  body.fill('0', static_cast<uint64_t>(precision - shown));
  int power = number.count > 0 ? number.point - 1 : 0;
  int length = 0;
  exponent[length++] = upper ? 'E' : 'e';
  exponent[length++] = power < 0 ? '-' : '+';
  power = power < 0 ? -power : power;
  if (power >= 100)
    exponent[length++] = static_cast<char>('0' + power / 100);
  exponent[length++] = static_cast<char>('0' + power / 10 % 10);
  exponent[length++] = static_cast<char>('0' + power % 10);
  body.text(exponent, static_cast<uint64_t>(length));
}

double next_double(const Spec& spec, va_list& arguments) {
  if (spec.length == 'L')
    return static_cast<double>(va_arg(arguments, long double));
  return va_arg(arguments, double);
}

void put_floating(BoundedOutput& out, const Spec& spec, char letter, va_list& arguments) {
  const double value = next_double(spec, arguments);
  const bool upper = letter == 'F' || letter == 'E' || letter == 'G';
  const uint64_t bits = __builtin_bit_cast(uint64_t, value);
  const char* prefix = sign_prefix(spec, (bits >> 63) != 0);
  Pieces body;
  if ((bits >> 52 & 0x7FF) == 0x7FF) {
    const bool nan = (bits & ((uint64_t{1} << 52) - 1)) != 0;
    body.text(nan ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf"), 3);
    put_field(out, spec, prefix, body, false);
    return;
  }
  DecimalDigits number;
  exact_decimal(value, number);
  char exponent[8];
  int precision = spec.precision < 0 ? kDefaultPrecision : spec.precision;
  const char kind = letter | 0x20; // f, e or g
  if (kind == 'f') {
    round_decimal(number,
                  number.point > kMaxField - precision ? kMaxField : number.point + precision);
    fixed_pieces(number, precision, spec.alternate, body);
  } else if (kind == 'e') {
    round_decimal(number, precision == kMaxField ? kMaxField : precision + 1);
    exponent_pieces(number, precision, spec.alternate, upper, exponent, body);
  } else {
    // %g: P significant digits, fixed when the exponent X satisfies -4 <= X < P, without
    // trailing zeros unless '#'.
    const int significant = precision == 0 ? 1 : precision;
    round_decimal(number, significant);
    const int power = number.count > 0 ? number.point - 1 : 0;
    if (power >= -4 && power < significant) {
      const int needed = number.count - number.point > 0 ? number.count - number.point : 0;
      // P - 1 - X fraction digits for '#' (X >= -4, so this may pass INT_MAX: saturate).
      const int64_t all = int64_t{significant} - 1 - power;
      fixed_pieces(number,
                   spec.alternate ? static_cast<int>(all < kMaxField ? all : kMaxField) : needed,
                   spec.alternate, body);
    } else {
      const int needed = number.count > 1 ? number.count - 1 : 0;
      exponent_pieces(number, spec.alternate ? significant - 1 : needed, spec.alternate, upper,
                      exponent, body);
    }
  }
  put_field(out, spec, prefix, body, true);
}

void put_conversion(BoundedOutput& out, const Spec& spec, char letter, va_list& arguments) {
  Pieces body;
  switch (letter) {
  case 'd':
  case 'i':
  case 'I':
  case 'u':
  case 'o':
  case 'x':
  case 'X':
    put_integer(out, spec, letter, arguments);
    return;
  case 'f':
  case 'F':
  case 'e':
  case 'E':
  case 'g':
  case 'G':
    put_floating(out, spec, letter, arguments);
    return;
  case 'c': {
    const char c = static_cast<char>(va_arg(arguments, int));
    body.text(&c, 1);
    put_field(out, spec, "", body, false);
    return;
  }
  case 's': {
    const char* text = va_arg(arguments, const char*);
    text = text != nullptr ? text : "(null)";
    uint64_t length = 0;
    while ((spec.precision < 0 || length < static_cast<uint64_t>(spec.precision)) &&
           text[length] != '\0')
      ++length;
    body.text(text, length);
    put_field(out, spec, "", body, false);
    return;
  }
  case 'p': {
    Spec hex = spec;
    hex.alternate = false;
    hex.length = 'l';
    const auto address = reinterpret_cast<uintptr_t>(va_arg(arguments, void*));
    char digits[16];
    int first = sizeof digits;
    for (uintptr_t rest = address; rest != 0; rest /= 16)
      digits[--first] = "0123456789abcdef"[rest % 16];
    if (first == static_cast<int>(sizeof digits))
      digits[--first] = '0';
    body.text(digits + first, sizeof digits - static_cast<size_t>(first));
    put_field(out, hex, "0x", body, false);
    return;
  }
  default:
    out.put('?');
    return;
  }
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Digits (saturating) or '*', which takes an int argument.
const char* read_number(const char* format, va_list& arguments, int* value) {
  if (*format == '*') {
    *value = va_arg(arguments, int);
    return format + 1;
  }
  int number = 0;
  for (; is_digit(*format); ++format)
    number = number > (kMaxField - 9) / 10 ? kMaxField : number * 10 + (*format - '0');
  *value = number;
  return format;
}

// Reads flags, width, precision and length after '%' into `spec`.
const char* read_spec(const char* format, va_list& arguments, Spec& spec) {
  for (;; ++format) {
    if (*format == '-')
      spec.left = true;
    else if (*format == '0')
      spec.zero = true;
    else if (*format == '+')
      spec.plus = true;
    else if (*format == ' ')
      spec.space = true;
    else if (*format == '#')
      spec.alternate = true;
    else
      break;
  }
  format = read_number(format, arguments, &spec.width);
  if (spec.width < 0) {
    spec.left = true;
    spec.width = spec.width == -kMaxField - 1 ? kMaxField : -spec.width;
  }
  if (*format == '.') {
    format = read_number(format + 1, arguments, &spec.precision);
    if (spec.precision < 0)
      spec.precision = -1;
  }
  if (format[0] == 'h' && format[1] == 'h')
    spec.length = 'H';
  else if (format[0] == 'h' || format[0] == 'L')
    spec.length = format[0];
  else if (format[0] == 'l' || format[0] == 'j' || format[0] == 'z' || format[0] == 't')
    spec.length = 'l';
  // A run of length letters is read whole; the first decides.
  while (*format == 'h' || *format == 'l' || *format == 'L' || *format == 'j' || *format == 'z' ||
         *format == 't')
    ++format;
  return format;
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
    Spec spec;
    format = read_spec(format + 1, remaining, spec);
    if (*format == '\0')
      break;
    const char letter = *format++;
    if (letter == '%')
      out.put('%');
    else
      put_conversion(out, spec, letter, remaining);
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
