#include <gtest/gtest.h>

#include <vector>

#include "abi/table_cursor.h"

namespace {

using Bytes = std::vector<uint8_t>;

dv::TableCursor cursor_over(const Bytes& bytes) {
  return dv::make_table_cursor(bytes.data(), bytes.size());
}

TEST(TableCursor, ReadUnalignedIsLittleEndianAndStopsAtEightBytes) {
  const uint8_t bytes[10] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88, 0xff, 0xff};
  EXPECT_EQ(dv::read_unaligned(bytes, 0), 0u);
  EXPECT_EQ(dv::read_unaligned(bytes, 1), 0x01u);
  EXPECT_EQ(dv::read_unaligned(bytes + 1, 3), 0x040302u);
  EXPECT_EQ(dv::read_unaligned(bytes, 8), 0x8807060504030201u);
  EXPECT_EQ(dv::read_unaligned(bytes, 10), 0x8807060504030201u);
}

struct LebCase {
  Bytes bytes;
  uint64_t unsigned_value;
  int64_t signed_value;
  size_t length;
};

TEST(TableCursor, Leb128Values) {
  const LebCase cases[] = {
      {{0x00}, 0, 0, 1},
      {{0x7f}, 127, -1, 1},
      {{0x3f}, 63, 63, 1},
      {{0x40}, 64, -64, 1},
      {{0x80, 0x01}, 128, 128, 2},
      {{0xe5, 0x8e, 0x26}, 624485, 624485, 3},
      {{0xc0, 0xbb, 0x78}, 0x1e1dc0, -123456, 3},
      // Redundant continuation groups are allowed.
      {{0x81, 0x80, 0x80, 0x00}, 1, 1, 4},
      // 2^64 - 1 and -1 in ten bytes; -2^63 in ten bytes.
      {{0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x01}, UINT64_MAX, -1, 10},
      {{0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x7f},
       uint64_t{1} << 63,
       INT64_MIN,
       10},
      // Groups beyond the 64th bit are dropped, and the number is still read whole.
      {{0x81, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0xff, 0x7f},
       0x8000000000000001u,
       INT64_MIN + 1,
       11},
  };
  for (const LebCase& c : cases) {
    dv::TableCursor u = cursor_over(c.bytes);
    EXPECT_EQ(dv::read_uleb128(u), c.unsigned_value) << c.length;
    EXPECT_EQ(u.position - c.bytes.data(), static_cast<ptrdiff_t>(c.length));
    EXPECT_FALSE(u.overrun);
    dv::TableCursor s = cursor_over(c.bytes);
    EXPECT_EQ(dv::read_sleb128(s), c.signed_value) << c.length;
    EXPECT_EQ(s.position - c.bytes.data(), static_cast<ptrdiff_t>(c.length));
  }
}

TEST(TableCursor, TruncatedLeb128StopsAtTheLimit) {
  const Bytes cases[] = {{}, {0x80}, {0xff, 0xff, 0xff}};
  for (const Bytes& bytes : cases) {
    dv::TableCursor u = cursor_over(bytes);
    EXPECT_EQ(dv::read_uleb128(u), 0u);
    EXPECT_TRUE(u.overrun);
    EXPECT_EQ(u.position, u.limit);
    dv::TableCursor s = cursor_over(bytes);
    EXPECT_EQ(dv::read_sleb128(s), 0);
    EXPECT_TRUE(s.overrun);
  }
  // A long run of continuation bytes is read only up to the limit.
  Bytes run(4096, 0x80);
  dv::TableCursor cursor = dv::make_table_cursor(run.data(), 100);
  dv::read_uleb128(cursor);
  EXPECT_EQ(cursor.position, run.data() + 100);
  EXPECT_TRUE(cursor.overrun);
}

struct EncodedCase {
  uint8_t encoding;
  Bytes bytes;
  uint64_t value;
  size_t length;
};

TEST(TableCursor, EncodedPointerFormats) {
  const EncodedCase cases[] = {
      {0x00, {1, 2, 3, 4, 5, 6, 7, 8}, 0x0807060504030201u, 8},
      {0x04, {1, 2, 3, 4, 5, 6, 7, 0x80}, 0x8007060504030201u, 8},
      {0x0c, {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}, UINT64_MAX, 8},
      {0x03, {0xfe, 0xff, 0xff, 0xff}, 0xfffffffeu, 4},
      {0x0b, {0xfe, 0xff, 0xff, 0xff}, static_cast<uint64_t>(-2), 4},
      {0x0b, {0xfe, 0xff, 0xff, 0x7f}, 0x7ffffffeu, 4},
      {0x02, {0x00, 0x80}, 0x8000u, 2},
      {0x0a, {0x00, 0x80}, static_cast<uint64_t>(-32768), 2},
      {0x01, {0xe5, 0x8e, 0x26}, 624485, 3},
      {0x09, {0x7f}, static_cast<uint64_t>(-1), 1},
      // Omitted and undefined formats read nothing.
      {0xff, {1, 2}, 0, 0},
      {0x05, {1, 2}, 0, 0},
      {0x08, {1, 2}, 0, 0},
      {0x0d, {1, 2}, 0, 0},
      {0x0f, {1, 2}, 0, 0},
      // Text-, data-, function-relative and aligned: the value is passed over, giving 0.
      {0x23, {1, 2, 3, 4}, 0, 4},
      {0x33, {1, 2, 3, 4}, 0, 4},
      {0x43, {1, 2, 3, 4}, 0, 4},
      {0x53, {1, 2, 3, 4}, 0, 4},
  };
  for (const EncodedCase& c : cases) {
    dv::TableCursor cursor = cursor_over(c.bytes);
    EXPECT_EQ(dv::read_encoded_pointer(c.encoding, cursor), c.value) << int{c.encoding};
    EXPECT_EQ(cursor.position - c.bytes.data(), static_cast<ptrdiff_t>(c.length))
        << int{c.encoding};
  }
}

TEST(TableCursor, EncodedPointerPastTheLimitReadsNothing) {
  const Bytes bytes = {1, 2, 3};
  for (uint8_t encoding : {0x00, 0x03, 0x0b, 0x9b}) {
    dv::TableCursor cursor = cursor_over(bytes);
    EXPECT_EQ(dv::read_encoded_pointer(encoding, cursor), 0u);
    EXPECT_TRUE(cursor.overrun);
  }
}

TEST(TableCursor, PcRelativeIndirectResolvesThroughTheWordBeforeTheEntry) {
  // A word 16 bytes before a pc-relative sdata4 entry holding -16.
  alignas(8) uint8_t block[24] = {};
  const uint64_t target = 0x1122334455667788u;
  __builtin_memcpy(block, &target, 8);
  const uint8_t minus_sixteen[4] = {0xf0, 0xff, 0xff, 0xff};
  __builtin_memcpy(block + 16, minus_sixteen, 4);

  dv::TableCursor direct = dv::make_table_cursor(block + 16, 4);
  EXPECT_EQ(dv::read_encoded_pointer(0x1b, direct), reinterpret_cast<uintptr_t>(block));
  dv::TableCursor indirect = dv::make_table_cursor(block + 16, 4);
  EXPECT_EQ(dv::read_encoded_pointer(0x9b, indirect), target);
  EXPECT_EQ(indirect.position, block + 20);
}

TEST(TableCursor, PcRelativeZeroStaysNull) {
  const Bytes zero = {0, 0, 0, 0};
  for (uint8_t encoding : {0x1b, 0x9b, 0x13}) {
    dv::TableCursor cursor = cursor_over(zero);
    EXPECT_EQ(dv::read_encoded_pointer(encoding, cursor), 0u);
    EXPECT_EQ(cursor.position, zero.data() + 4);
  }
}

TEST(TableCursor, AbsoluteIndirectReadsTheWordAtTheValue) {
  const uint64_t word = 0xabcdef0123456789u;
  const uint64_t address = reinterpret_cast<uintptr_t>(&word);
  uint8_t bytes[8];
  __builtin_memcpy(bytes, &address, 8);
  dv::TableCursor cursor = dv::make_table_cursor(bytes, 8);
  EXPECT_EQ(dv::read_encoded_pointer(0x80, cursor), word);
}

} // namespace
