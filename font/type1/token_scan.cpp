#include "font/type1/token_scan.h"

#include <stdint.h>

#include "containers/string.h"
#include "runtime/ctype.h"
#include "runtime/number_parse.h"

unsigned long find_bytes(ByteView data, const char* pattern, unsigned long start) {
  if (pattern == nullptr || start >= data.size || pattern[0] == 0)
    return kNotFound;
  unsigned long length = 0;
  while (pattern[length] != 0)
    ++length;
  if (data.size - start < length)
    return kNotFound;
  for (unsigned long offset = start; offset + length <= data.size; ++offset) {
    unsigned long i = 0;
    while (i < length && data.data[offset + i] == static_cast<unsigned char>(pattern[i]))
      ++i;
    if (i == length)
      return offset;
  }
  return kNotFound;
}

bool matches_at(ByteView data, unsigned long position, const char* pattern) {
  for (unsigned long i = 0; pattern[i] != 0; ++i) {
    if (position + i >= data.size ||
        data.data[position + i] != static_cast<unsigned char>(pattern[i]))
      return false;
  }
  return true;
}

bool has_token(ByteView data, unsigned long position, char first, char second) {
  return data.size - position >= 2 && data.data[position] == first &&
         data.data[position + 1] == second;
}

ByteVector slice(ByteView data, unsigned long start, unsigned long end) {
  return ByteVector(data.data + start, data.data + end);
}

void skip_spaces(ByteView data, unsigned long& position) {
  while (position < data.size && dv::isspace(data.data[position]))
    ++position;
}

unsigned long name_token_end(ByteView data, unsigned long start, bool slash_ends) {
  unsigned long end = start;
  while (end < data.size && !dv::isspace(data.data[end]) && !(slash_ends && data.data[end] == '/'))
    ++end;
  return end;
}

bool parse_ascii_int(ByteView data, unsigned long& position, int& value) {
  skip_spaces(data, position);
  if (position >= data.size)
    return false;
  bool negative = data.data[position] == '-';
  if (negative || data.data[position] == '+')
    ++position;
  if (position >= data.size || !dv::isdigit(data.data[position]))
    return false;
  uint32_t magnitude = 0;
  while (position < data.size && dv::isdigit(data.data[position])) {
    magnitude = magnitude * 10u + (data.data[position] - '0');
    ++position;
  }
  value = static_cast<int>(negative ? 0u - magnitude : magnitude);
  return true;
}

// strtod needs a terminated string; the number is copied out first. Only bytes that can
// belong to a decimal real are copied, so the conversion consumes exactly what it would
// consume in place.
bool parse_ascii_double(ByteView data, unsigned long& position, double& value) {
  skip_spaces(data, position);
  if (position >= data.size)
    return false;
  unsigned long end = position;
  while (end < data.size) {
    unsigned char byte = data.data[end];
    if (!dv::isdigit(byte) && byte != '.' && byte != '+' && byte != '-' && byte != 'e' &&
        byte != 'E')
      break;
    ++end;
  }
  dv::string text(reinterpret_cast<const char*>(data.data + position), end - position);
  const char* start = text.data ? text.data : "";
  char* stop = nullptr;
  double result = dv::strtod(start, &stop);
  unsigned long consumed = static_cast<unsigned long>(stop - start);
  value = consumed != 0 ? result : 0.0;
  if (consumed == 0)
    return false;
  position += consumed;
  return true;
}
