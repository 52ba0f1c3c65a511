#include "abi/table_cursor.h"

namespace dv {

TableCursor make_table_cursor(const uint8_t* bytes, size_t size) noexcept {
  uintptr_t start = reinterpret_cast<uintptr_t>(bytes);
  uintptr_t end = start + size;
  if (end < start)
    end = UINTPTR_MAX;
  return TableCursor{bytes, reinterpret_cast<const uint8_t*>(end), false};
}

size_t cursor_remaining(const TableCursor& cursor) noexcept {
  uintptr_t position = reinterpret_cast<uintptr_t>(cursor.position);
  uintptr_t limit = reinterpret_cast<uintptr_t>(cursor.limit);
  return position < limit ? limit - position : 0;
}

static void mark_overrun(TableCursor& cursor) noexcept {
  cursor.position = cursor.limit;
  cursor.overrun = true;
}

uint64_t read_unaligned(const uint8_t* bytes, unsigned count) noexcept {
  uint64_t value = 0;
  for (unsigned i = 0; i < count && i < 8; ++i)
    value |= static_cast<uint64_t>(bytes[i]) << (8 * i);
  return value;
}

// Reads the groups of one LEB128 number. Groups beyond the 64th bit are dropped.
// Returns false (with the cursor at its limit) when the number runs past the limit.
static bool read_leb128_groups(TableCursor& cursor, uint64_t& value, unsigned& bits,
                               uint8_t& last) noexcept {
  value = 0;
  bits = 0;
  while (cursor_remaining(cursor) > 0) {
    last = *cursor.position++;
    if (bits < 64)
      value |= static_cast<uint64_t>(last & 0x7f) << bits;
    if (bits < 64)
      bits += 7;
    if (last < 0x80)
      return true;
  }
  mark_overrun(cursor);
  return false;
}

uint64_t read_uleb128(TableCursor& cursor) noexcept {
  uint64_t value;
  unsigned bits;
  uint8_t last;
  return read_leb128_groups(cursor, value, bits, last) ? value : 0;
}

int64_t read_sleb128(TableCursor& cursor) noexcept {
  uint64_t value;
  unsigned bits;
  uint8_t last = 0;
  if (!read_leb128_groups(cursor, value, bits, last))
    return 0;
  if ((last & 0x40) != 0 && bits < 64)
    value |= ~uint64_t{0} << bits;
  return static_cast<int64_t>(value);
}

unsigned encoded_value_size(uint8_t encoding) noexcept {
  switch (encoding & kEncodingFormatMask) {
  case kEncodingAbsolute:
  case kEncodingUdata8:
  case kEncodingSdata8:
    return 8;
  case kEncodingUdata4:
  case kEncodingSdata4:
    return 4;
  case kEncodingUdata2:
  case kEncodingSdata2:
    return 2;
  default:
    return 0;
  }
}

static uint64_t sign_extend(uint64_t value, unsigned bytes) noexcept {
  unsigned shift = 64 - 8 * bytes;
  return static_cast<uint64_t>(static_cast<int64_t>(value << shift) >> shift);
}

// The value in the encoding's format, before its application. `readable` is false for
// formats that are not defined.
static uint64_t read_encoded_format(uint8_t encoding, TableCursor& cursor,
                                    bool& readable) noexcept {
  readable = true;
  uint8_t format = encoding & kEncodingFormatMask;
  if (format == kEncodingUleb128)
    return read_uleb128(cursor);
  if (format == kEncodingSleb128)
    return static_cast<uint64_t>(read_sleb128(cursor));
  unsigned size = encoded_value_size(encoding);
  if (size == 0) {
    readable = false;
    return 0;
  }
  if (cursor_remaining(cursor) < size) {
    mark_overrun(cursor);
    return 0;
  }
  uint64_t value = read_unaligned(cursor.position, size);
  cursor.position += size;
  bool is_signed = format == kEncodingSdata2 || format == kEncodingSdata4;
  return is_signed ? sign_extend(value, size) : value;
}

uint64_t read_encoded_pointer(uint8_t encoding, TableCursor& cursor) noexcept {
  if (encoding == kEncodingOmit)
    return 0;
  uint64_t start = reinterpret_cast<uintptr_t>(cursor.position);
  bool readable;
  uint64_t value = read_encoded_format(encoding, cursor, readable);
  if (!readable || cursor.overrun)
    return 0;
  switch (encoding & kEncodingApplicationMask) {
  case 0:
    break;
  case kEncodingPcRelative:
    if (value != 0)
      value += start;
    break;
  default:
    return 0;
  }
  if ((encoding & kEncodingIndirect) != 0 && value != 0)
    value = read_unaligned(reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(value)), 8);
  return value;
}

} // namespace dv
