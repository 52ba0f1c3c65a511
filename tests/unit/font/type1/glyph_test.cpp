#include <gtest/gtest.h>

#include <string>

#include "font/type1/glyph.h"
#include "support/type1_builder.h"
#include "unit/font/type1/charstring_run.h"

using testfont::Bytes;
using testfont::Charstring;

namespace {

void set_name(Type1Font& font, int code, const char* name) {
  font.encoding[code] = dv::string(name);
}

void set_charstring(Type1Font& font, const char* name, const Charstring& charstring) {
  type1test::add_charstring(font, name, charstring.bytes());
}

// A filled rectangle [x0, x1] × [y0, y1] in font units, drawn after hsbw.
Charstring box(int width, int x0, int y0, int x1, int y1) {
  return Charstring()
      .hsbw(0, width)
      .rmoveto(x0, y0)
      .hlineto(x1 - x0)
      .vlineto(y1 - y0)
      .hlineto(x0 - x1)
      .closepath()
      .endchar();
}

std::string name_of(const Type1Font& font, unsigned code) {
  const dv::string_view name = glyph_name_for_codepoint(font, code);
  return std::string(name.data ? name.data : "", name.size);
}

GlyphBitmap bitmap_with_ink(int width, int height,
                            std::initializer_list<std::pair<int, int>> inked) {
  GlyphBitmap bitmap;
  bitmap.left = -1;
  bitmap.top = 30;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.pixels.resize(static_cast<unsigned long>(width) * height);
  for (auto [column, row] : inked)
    bitmap.pixels.data[row * width + column] = 200;
  return bitmap;
}

} // namespace

TEST(Type1Glyph, NamingThroughTheFontsOwnEncoding) {
  Type1Font font;
  set_name(font, 65, "A");
  EXPECT_EQ(name_of(font, 65), "A");
  EXPECT_EQ(name_of(font, 66), ".notdef");
  EXPECT_EQ(name_of(font, 300), ".notdef");
  EXPECT_EQ(name_of(font, 65 + 256), ".notdef") << "no wrap into the table";
}

TEST(Type1Glyph, MissingNamesDrawNotdef) {
  Type1Font font;
  set_name(font, 65, "A");
  set_name(font, 67, "C"); // named, but without a charstring
  set_charstring(font, "A", box(600, 0, 0, 500, 700));
  set_charstring(font, ".notdef", box(250, 0, 0, 200, 200));
  const double scale = 0.02;
  GlyphBitmap a = rasterize_type1_glyph(font, 65, scale);
  EXPECT_EQ(a.advance, 12);
  EXPECT_EQ(a.width, 10);
  EXPECT_EQ(a.height, 14);
  for (unsigned code : {66u, 67u, 300u}) {
    GlyphBitmap g = rasterize_type1_glyph(font, code, scale);
    EXPECT_EQ(g.advance, 5) << code;
    EXPECT_EQ(g.width, 4) << code;
    EXPECT_EQ(g.height, 4) << code;
  }
}

TEST(Type1Glyph, NoGlyphAndNoNotdefGivesADefaultBitmap) {
  Type1Font font;
  set_charstring(font, "A", box(600, 0, 0, 500, 700));
  GlyphBitmap g = rasterize_type1_glyph(font, 66, 0.02);
  EXPECT_EQ(g.advance, 0);
  EXPECT_EQ(g.width, 0);
  EXPECT_EQ(g.pixels.size, 0u);
}

TEST(Type1Glyph, RejectedAndInklessGlyphsKeepTheirAdvance) {
  Type1Font font;
  set_name(font, 1, "curve");
  set_name(font, 2, "line");
  set_charstring(font, "curve",
                 Charstring()
                     .hsbw(0, 500)
                     .rmoveto(0, 0)
                     .rlineto(100, 100)
                     .num(1)
                     .num(2)
                     .num(3)
                     .num(4)
                     .num(5)
                     .num(6)
                     .op(8));
  set_charstring(
      font, "line",
      Charstring().hsbw(0, 400).rmoveto(0, 0).rlineto(100, 100).rlineto(-100, -100).closepath());
  for (unsigned code : {1u, 2u}) {
    GlyphBitmap g = rasterize_type1_glyph(font, code, 0.1);
    EXPECT_EQ(g.width, 0) << code;
    EXPECT_EQ(g.height, 0) << code;
    EXPECT_EQ(g.pixels.size, 0u) << code;
  }
  EXPECT_EQ(rasterize_type1_glyph(font, 1, 0.1).advance, 50);
  EXPECT_EQ(rasterize_type1_glyph(font, 2, 0.1).advance, 40);
}

TEST(Type1Glyph, PixelsKeepTheirPlaceAfterCropping) {
  Type1Font font;
  set_name(font, 65, "A");
  set_charstring(font, "A", box(600, 100, 200, 300, 500));
  GlyphBitmap g = rasterize_type1_glyph(font, 65, 0.01);
  // The box covers x 1..3 and y 2..5 in pixels exactly.
  EXPECT_EQ(g.left, 1);
  EXPECT_EQ(g.top, 5);
  EXPECT_EQ(g.width, 2);
  EXPECT_EQ(g.height, 3);
  for (unsigned long i = 0; i < g.pixels.size; ++i)
    EXPECT_EQ(g.pixels.data[i], 255);
}

TEST(Type1Glyph, CropToInk) {
  GlyphBitmap g = bitmap_with_ink(16, 24, {{3, 2}, {12, 21}, {7, 10}});
  crop_to_ink(g);
  EXPECT_EQ(g.width, 10);
  EXPECT_EQ(g.height, 20);
  EXPECT_EQ(g.left, -1 + 3);
  EXPECT_EQ(g.top, 30 - 2);
  EXPECT_EQ(g.pixels.data[0], 200);
  EXPECT_EQ(g.pixels.data[19 * 10 + 9], 200);
  EXPECT_EQ(g.pixels.data[8 * 10 + 4], 200);

  // Blank columns between two strokes stay.
  GlyphBitmap strokes = bitmap_with_ink(10, 3, {{1, 1}, {8, 1}});
  crop_to_ink(strokes);
  EXPECT_EQ(strokes.width, 8);
  EXPECT_EQ(strokes.height, 1);

  GlyphBitmap blank = bitmap_with_ink(5, 5, {});
  crop_to_ink(blank);
  EXPECT_EQ(blank.width, 0);
  EXPECT_EQ(blank.height, 0);
  EXPECT_EQ(blank.left, 0);
  EXPECT_EQ(blank.top, 0);
  EXPECT_EQ(blank.pixels.size, 0u);
}
