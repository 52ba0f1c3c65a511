// Damaged glyph data in a real font: every glyph still comes back as a bitmap (possibly
// empty) with no read outside the font data; the sanitizer build proves the latter.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "font/truetype/glyph_bitmap.h"
#include "support/required_package.h"
#include "support/sfnt_builder.h"
#include "unit/font/font_bytes.h"

namespace {

constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

testfont::Bytes read_file(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return testfont::Bytes(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(TrueTypeGlyphRobustness, CorruptedGlyphDataNeverEscapesTheFont) {
  const testfont::Bytes original = read_file(kFont);
  if (original.empty())
    DV_MISSING_PACKAGE(kFont, dvtest::package_of(kFont));
  const testfont::TableLocation glyf = testfont::find_table(original, "glyf");
  ASSERT_GT(glyf.length, 0u);
  std::mt19937 random(2024);
  std::uniform_int_distribution<uint32_t> position(glyf.offset, glyf.offset + glyf.length - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int variant = 0; variant < 8; ++variant) {
    testfont::Bytes bytes = original;
    for (int k = 0; k < 4000; ++k)
      bytes[position(random)] = static_cast<uint8_t>(byte(random));
    const auto font = load_font(bytes);
    if (!font)
      continue;
    int drawn = 0;
    for (uint32_t glyph = variant; glyph < font->num_glyphs; glyph += 131) {
      const GlyphBitmap g = rasterize_truetype_glyph(*font, static_cast<uint16_t>(glyph), 0.002);
      ASSERT_EQ(g.pixels.size, static_cast<size_t>(g.width) * static_cast<size_t>(g.height));
      drawn += g.pixels.size > 0 ? 1 : 0;
    }
    EXPECT_GT(drawn, 0) << "variant " << variant;
  }
}
