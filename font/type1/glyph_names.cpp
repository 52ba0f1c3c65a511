#include "font/type1/glyph_names.h"

#include "font/type1/glyph_name_table.h"
namespace {

struct SecondName {
  const char* name;
  uint32_t codepoint;
};

// The double mappings of the glyph list before its second edition, which kept only one
// value per name (the other one is in the table).
constexpr SecondName kSecondNames[] = {
    {"Delta", 0x0394},        {"Omega", 0x03A9},          {"Tcommaaccent", 0x021A},
    {"fraction", 0x2215},     {"hyphen", 0x00AD},         {"macron", 0x02C9},
    {"mu", 0x03BC},           {"periodcentered", 0x2219}, {"space", 0x00A0},
    {"tcommaaccent", 0x021B},
};

// Compares the `length` bytes of `name` (which may hold any byte) with the NUL-terminated
// `entry`, as unsigned bytes; never reads past the entry's terminator.
int compare_name(const char* name, unsigned long length, const char* entry) {
  for (unsigned long i = 0; i < length; ++i) {
    unsigned char b = static_cast<unsigned char>(entry[i]);
    if (b == 0)
      return 1; // the entry is a proper prefix of the name
    unsigned char a = static_cast<unsigned char>(name[i]);
    if (a != b)
      return a < b ? -1 : 1;
  }
  return entry[length] == 0 ? 0 : -1;
}

int hex_digit_value(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1; // lowercase digits are not part of these names
}

// The value of `count` uppercase hexadecimal digits, or kNoCodepoint.
uint32_t hex_value(const char* digits, unsigned long count) {
  uint32_t value = 0;
  for (unsigned long i = 0; i < count; ++i) {
    int digit = hex_digit_value(digits[i]);
    if (digit < 0)
      return kNoCodepoint;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return value;
}

bool is_character(uint32_t value) {
  return value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

bool starts_with(const char* name, unsigned long length, const char* prefix,
                 unsigned long prefix_length) {
  if (length < prefix_length)
    return false;
  for (unsigned long i = 0; i < prefix_length; ++i) {
    if (name[i] != prefix[i])
      return false;
  }
  return true;
}

// "uniXXXX" (exactly four digits) and "uXXXX" to "uXXXXXX".
uint32_t hexadecimal_name_value(const char* name, unsigned long length) {
  uint32_t value = kNoCodepoint;
  if (length == 7 && starts_with(name, length, "uni", 3))
    value = hex_value(name + 3, 4);
  else if (length >= 5 && length <= 7 && name[0] == 'u')
    value = hex_value(name + 1, length - 1);
  return value != kNoCodepoint && is_character(value) ? value : kNoCodepoint;
}

uint32_t listed_name_value(const char* name, unsigned long length) {
  unsigned long low = 0;
  unsigned long high = kGlyphNameCount;
  while (low < high) {
    unsigned long middle = low + (high - low) / 2;
    int order = compare_name(name, length, kGlyphNameText + kGlyphNames[middle].name);
    if (order == 0)
      return kGlyphNames[middle].codepoint;
    if (order < 0)
      high = middle;
    else
      low = middle + 1;
  }
  return kNoCodepoint;
}

} // namespace

uint32_t glyph_name_codepoint(const char* name, unsigned long length) {
  if (name == nullptr || length == 0)
    return kNoCodepoint;
  uint32_t value = hexadecimal_name_value(name, length);
  return value != kNoCodepoint ? value : listed_name_value(name, length);
}

uint32_t glyph_name_second_codepoint(const char* name, unsigned long length) {
  for (const SecondName& second : kSecondNames) {
    if (compare_name(name, length, second.name) == 0)
      return second.codepoint;
  }
  return kNoCodepoint;
}
