#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "runtime/memory.h"

namespace {

std::vector<unsigned char> ramp(size_t length) {
  std::vector<unsigned char> bytes(length);
  for (size_t i = 0; i < length; ++i)
    bytes[i] = static_cast<unsigned char>(i * 7 + 1);
  return bytes;
}

TEST(Memory, CopyAndFillLargeBlocks) {
  const auto source = ramp(777);
  std::vector<unsigned char> target(777, 0);
  EXPECT_EQ(dv::memcpy(target.data(), source.data(), source.size()), target.data());
  EXPECT_EQ(target, source);

  EXPECT_EQ(dv::memset(target.data() + 3, 0x1ab, 500), target.data() + 3);
  for (size_t i = 0; i < target.size(); ++i)
    EXPECT_EQ(target[i], i >= 3 && i < 503 ? 0xab : source[i]) << i;

  dv::bzero(target.data(), 10);
  dv::__bzero(target.data() + 10, 10);
  for (size_t i = 0; i < 20; ++i)
    EXPECT_EQ(target[i], 0) << i;
  EXPECT_EQ(target[20], 0xab);
}

// Moves `length` bytes from `from` to `to` inside a ramp of `size` bytes and compares
// with the bytes the move must produce.
void check_move(size_t size, size_t from, size_t to, size_t length) {
  auto block = ramp(size);
  auto expected = block;
  const std::vector<unsigned char> moved(block.begin() + from, block.begin() + from + length);
  std::copy(moved.begin(), moved.end(), expected.begin() + to);
  EXPECT_EQ(dv::memmove(block.data() + to, block.data() + from, length), block.data() + to);
  EXPECT_EQ(block, expected) << from << "->" << to << " x" << length;
}

TEST(Memory, MoveOverlappingBothWays) {
  check_move(400, 0, 1, 399); // destination above the source
  check_move(400, 1, 0, 399); // destination below the source
  check_move(400, 10, 150, 200);
  check_move(400, 150, 10, 200);
  check_move(400, 5, 5, 100);   // same place
  check_move(400, 0, 200, 200); // touching, no overlap
  check_move(400, 7, 3, 0);
}

TEST(Memory, CompareUsesUnsignedBytes) {
  const unsigned char a[] = {1, 2, 0x80};
  const unsigned char b[] = {1, 2, 0x7f};
  EXPECT_GT(dv::memcmp(a, b, 3), 0);
  EXPECT_LT(dv::memcmp(b, a, 3), 0);
  EXPECT_EQ(dv::memcmp(a, b, 2), 0);
  EXPECT_EQ(dv::memcmp(a, b, 0), 0);
}

TEST(Memory, FindByte) {
  const unsigned char block[] = {'a', 0, 0xe9, 'a'};
  EXPECT_EQ(dv::memchr(block, 'a', 4), block);
  EXPECT_EQ(dv::memchr(block + 1, 'a', 3), block + 3);
  EXPECT_EQ(dv::memchr(block, 0, 4), block + 1);
  EXPECT_EQ(dv::memchr(block, 0xe9, 4), block + 2);
  EXPECT_EQ(dv::memchr(block, -23, 4), block + 2);
  EXPECT_EQ(dv::memchr(block, 'a', 0), nullptr);
  EXPECT_EQ(dv::memchr(block, 'z', 4), nullptr);
}

} // namespace
