#include <gtest/gtest.h>

#include "font/sfnt/sfnt.h"
#include "unit/font/font_bytes.h"

namespace {

TEST(Sfnt, ReadU32BigEndian) {
  const dv::vector<unsigned char> bytes = dv_bytes({0x01, 0x02, 0x03, 0x04, 0xFF});
  EXPECT_EQ(read_u32_be(bytes, 0), 0x01020304u);
  EXPECT_EQ(read_u32_be(bytes, 1), 0x020304FFu);
}

} // namespace
