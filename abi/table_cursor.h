// Decoding of the fields of an exception table: fixed-size little-endian values,
// LEB128 numbers and DW_EH_PE-encoded pointers, read through a cursor that never
// passes its limit.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace dv {

// A read position inside a table. Reads stop at `limit`: a value that would extend
// past it is not read, the cursor moves to the limit and `overrun` is set.
struct TableCursor {
  const uint8_t* position;
  const uint8_t* limit;
  bool overrun;
};

// A cursor over `size` bytes at `bytes` (the limit saturates at the top of memory).
TableCursor make_table_cursor(const uint8_t* bytes, size_t size) noexcept;

// Bytes left before the limit.
size_t cursor_remaining(const TableCursor& cursor) noexcept;

// The little-endian unsigned value of `count` bytes (at most 8; more are ignored).
uint64_t read_unaligned(const uint8_t* bytes, unsigned count) noexcept;

uint64_t read_uleb128(TableCursor& cursor) noexcept;
int64_t read_sleb128(TableCursor& cursor) noexcept;

// Pointer encodings (DW_EH_PE).
enum PointerEncoding : uint8_t {
  kEncodingOmit = 0xff,
  kEncodingFormatMask = 0x0f,
  kEncodingAbsolute = 0x00,
  kEncodingUleb128 = 0x01,
  kEncodingUdata2 = 0x02,
  kEncodingUdata4 = 0x03,
  kEncodingUdata8 = 0x04,
  kEncodingSleb128 = 0x09,
  kEncodingSdata2 = 0x0a,
  kEncodingSdata4 = 0x0b,
  kEncodingSdata8 = 0x0c,
  kEncodingApplicationMask = 0x70,
  kEncodingPcRelative = 0x10,
  kEncodingIndirect = 0x80,
};

// Byte size of one fixed-size value in `encoding`'s format, or 0 for LEB128 and
// undefined formats.
unsigned encoded_value_size(uint8_t encoding) noexcept;

// Decodes one value at the cursor and moves past it. Omitted encodings and undefined
// formats read nothing and give 0; applications other than absolute and pc-relative
// give 0 after moving past the value; an indirect non-zero value is replaced by the
// 64-bit word stored at its address.
uint64_t read_encoded_pointer(uint8_t encoding, TableCursor& cursor) noexcept;

} // namespace dv
