#include "runtime/error_format.h"

namespace dv {
namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool is_length_letter(char c) {
  return c == 'h' || c == 'l' || c == 't' || c == 'z';
}

// The conversion letters after which the formatter takes an argument.
bool takes_argument(char conversion) {
  switch (conversion) {
  case 'd':
  case 'i':
  case 'I':
  case 'u':
  case 'x':
  case 'X':
  case 'c':
  case 's':
  case 'p':
  case 'f':
    return true;
  default:
    return false;
  }
}

// Skips what the formatter skips between '%' and the conversion letter: width digits,
// '.' and precision digits, then length letters.
const char* skip_conversion_modifiers(const char* at) {
  while (is_digit(*at))
    ++at;
  if (*at == '.') {
    ++at;
    while (is_digit(*at))
      ++at;
  }
  while (is_length_letter(*at))
    ++at;
  return at;
}

} // namespace

bool format_takes_at_most_one_string(const char* format) {
  int arguments = 0;
  for (const char* at = format; *at != 0; ++at) {
    if (*at != '%')
      continue;
    ++at;
    if (*at == '%')
      continue;
    at = skip_conversion_modifiers(at);
    if (*at == 0)
      break;
    if (!takes_argument(*at))
      continue;
    if (*at != 's' || ++arguments > 1)
      return false;
  }
  return true;
}

} // namespace dv
