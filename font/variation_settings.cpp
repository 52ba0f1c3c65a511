#include "font/variation_settings.h"

namespace {

// Digits beyond this in one number make the string malformed (the value would no longer
// be exact, and no axis needs them).
constexpr int kMaxDigits = 15;

void skip_spaces(const char*& at) {
  while (*at == ' ')
    ++at;
}

bool is_tag_character(char c) {
  return c > ' ' && c <= '~' && c != '=' && c != ',';
}

bool read_tag(const char*& at, uint32_t& tag) {
  int length = 0;
  tag = 0;
  while (is_tag_character(*at) && length < 4) {
    tag = tag << 8 | static_cast<unsigned char>(*at++);
    ++length;
  }
  if (length == 0 || is_tag_character(*at))
    return false;
  for (; length < 4; ++length)
    tag = tag << 8 | ' ';
  return true;
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool read_number(const char*& at, double& value) {
  const bool negative = *at == '-';
  if (*at == '-' || *at == '+')
    ++at;
  double whole = 0.0;
  int digits = 0;
  for (; is_digit(*at); ++at, ++digits)
    whole = whole * 10.0 + (*at - '0');
  double fraction = 0.0;
  double scale = 1.0;
  if (*at == '.') {
    for (++at; is_digit(*at); ++at, ++digits) {
      fraction = fraction * 10.0 + (*at - '0');
      scale *= 10.0;
    }
  }
  if (digits == 0 || digits > kMaxDigits)
    return false;
  value = whole + fraction / scale;
  value = negative ? -value : value;
  return true;
}

int64_t axis_index(const FontVariations& variations, uint32_t tag) {
  for (uint64_t i = 0; i < variations.axes.size; ++i) {
    if (variations.axes.data[i].tag == tag)
      return static_cast<int64_t>(i);
  }
  return -1;
}

} // namespace

bool parse_variation_settings(const char* settings, const FontVariations& variations,
                              dv::vector<double>& values) {
  values.resize(variations.axes.size);
  for (uint64_t i = 0; i < variations.axes.size; ++i)
    values.data[i] = variations.axes.data[i].default_value;
  if (settings == nullptr)
    return true;
  const char* at = settings;
  skip_spaces(at);
  if (*at == 0)
    return true;
  for (;;) {
    uint32_t tag = 0;
    double value = 0.0;
    skip_spaces(at);
    if (!read_tag(at, tag))
      return false;
    skip_spaces(at);
    if (*at++ != '=')
      return false;
    skip_spaces(at);
    if (!read_number(at, value))
      return false;
    const int64_t axis = axis_index(variations, tag);
    if (axis < 0)
      return false;
    values.data[axis] = value;
    skip_spaces(at);
    if (*at == 0)
      return true;
    if (*at++ != ',')
      return false;
  }
}
