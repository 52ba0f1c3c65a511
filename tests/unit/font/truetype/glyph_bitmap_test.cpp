#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "font/backend.h"
#include "font/raster/curve_flattening.h"
#include "font/raster/rasterizer.h"
#include "font/truetype/backend.h"
#include "font/truetype/glyph_bitmap.h"
#include "support/sfnt_builder.h"
#include "unit/font/font_bytes.h"

using testfont::box;
using testfont::Bytes;
using testfont::FontParams;

// The tests use the builder's default font, FontParams{}: glyph 0 a box 700 high (advance
// 500), 1 a box 600 high (advance 600), 2 empty (advance 250).

namespace {

std::unique_ptr<FontBackend> backend_for(const Bytes& bytes) {
  std::unique_ptr<FontBackend> backend(make_truetype_backend());
  if (!backend->load(dv_bytes(bytes)))
    return nullptr;
  return backend;
}

std::vector<unsigned char> pixels_of(const GlyphBitmap& g) {
  return std::vector<unsigned char>(g.pixels.data, g.pixels.data + g.pixels.size);
}

void expect_empty(const GlyphBitmap& g, double advance) {
  EXPECT_EQ(g.width, 0);
  EXPECT_EQ(g.height, 0);
  EXPECT_EQ(g.left, 0);
  EXPECT_EQ(g.top, 0);
  EXPECT_EQ(g.pixels.size, 0u);
  EXPECT_EQ(g.advance, advance);
}

// Moves hmtx to the end of the data, keeps its directory length at `stated_length`, and
// cuts the data `kept` bytes into the table.
Bytes with_hmtx_cut(const FontParams& params, uint32_t stated_length, size_t kept) {
  auto tables = testfont::font_tables(params);
  std::stable_partition(tables.begin(), tables.end(),
                        [](const testfont::TableEntry& t) { return t.tag != "hmtx"; });
  tables.back().length_override = stated_length;
  Bytes bytes = testfont::sfnt_file(tables);
  bytes.resize(testfont::find_table(bytes, "hmtx").offset + kept);
  return bytes;
}

} // namespace

TEST(TrueTypeGlyphBitmap, BoxGlyphAtScale) {
  const auto font = load_font(testfont::build_font(FontParams{}));
  ASSERT_NE(font, nullptr);
  // Glyph 1 is the box (100, 0)-(500, 600); at 1/4 that is (25, 0)-(125, 150), y up.
  const GlyphBitmap g = rasterize_truetype_glyph(*font, 1, 0.25);
  EXPECT_EQ(g.advance, 150);
  EXPECT_EQ(g.left, 24);
  EXPECT_EQ(g.top, 151);
  EXPECT_EQ(g.width, 102);
  EXPECT_EQ(g.height, 152);
  ASSERT_EQ(g.pixels.size, 102u * 152u);
  for (int row = 0; row < g.height; ++row) {
    for (int column = 0; column < g.width; ++column) {
      const bool inside = row >= 1 && row <= 150 && column >= 1 && column <= 100;
      ASSERT_EQ(g.pixels.data[row * g.width + column], inside ? 255 : 0) << row << "," << column;
    }
  }
}

TEST(TrueTypeGlyphBitmap, AdvanceIsNotRounded) {
  FontParams params;
  params.glyphs = {{testfont::simple_glyph({box(0, 0, 10, 10)}), 1229, 0}};
  const auto font = load_font(testfont::build_font(params));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(rasterize_truetype_glyph(*font, 0, 0.5).advance, 614.5);
}

TEST(TrueTypeGlyphBitmap, EmptyGlyphKeepsItsAdvance) {
  const auto font = load_font(testfont::build_font(FontParams{}));
  ASSERT_NE(font, nullptr);
  expect_empty(rasterize_truetype_glyph(*font, 2, 0.1), 25);
}

TEST(TrueTypeGlyphBitmap, MalformedGlyphGivesEmptyBitmapWithItsAdvance) {
  testfont::Component point_matched;
  point_matched.glyph = 0;
  point_matched.flags = 0;
  FontParams params;
  params.glyphs = {{testfont::simple_glyph({box(0, 0, 10, 10)}), 500, 0},
                   {testfont::composite_glyph({point_matched}), 640, 0}};
  const auto font = load_font(testfont::build_font(params));
  ASSERT_NE(font, nullptr);
  expect_empty(rasterize_truetype_glyph(*font, 1, 0.25), 160);
}

TEST(TrueTypeGlyphBitmap, UnmappedCodePointRendersTheMissingGlyph) {
  const auto backend = backend_for(testfont::build_font(FontParams{}));
  ASSERT_NE(backend, nullptr);
  const double scale = 1.0 / 64;
  const GlyphBitmap missing = backend->rasterize(0x4E2D, scale);
  const GlyphBitmap zero = backend->rasterize(0, scale); // also unmapped
  EXPECT_EQ(missing.advance, 500 * scale);
  EXPECT_EQ(missing.height, 13); // 700 units: up to 10.9 pixels, plus the margins
  EXPECT_EQ(pixels_of(missing), pixels_of(zero));
  const GlyphBitmap a = backend->rasterize('A', scale);
  EXPECT_EQ(a.advance, 600 * scale);
  EXPECT_EQ(a.height, 12);
}

TEST(TrueTypeGlyphBitmap, RasterizingTwiceGivesIdenticalBitmaps) {
  const auto backend = backend_for(testfont::build_font(FontParams{}));
  ASSERT_NE(backend, nullptr);
  const GlyphBitmap first = backend->rasterize('A', 0.037);
  const GlyphBitmap second = backend->rasterize('A', 0.037);
  EXPECT_EQ(first.left, second.left);
  EXPECT_EQ(first.top, second.top);
  EXPECT_EQ(first.advance, second.advance);
  EXPECT_EQ(pixels_of(first), pixels_of(second));
}

TEST(TrueTypeGlyphBitmap, GlyphIndexPastTheCountUsesGlyphZerosAdvanceAndNoOutline) {
  FontParams params;
  params.cmaps = {{3, 10, testfont::cmap_format12({{'A', 'A', 1}, {0x10000, 0x10000, 77}})}};
  const auto backend = backend_for(testfont::build_font(params));
  ASSERT_NE(backend, nullptr);
  expect_empty(backend->rasterize(0x10000, 0.5), 250);
}

TEST(TrueTypeGlyphBitmap, GlyphsPastTheMetricRecordsShareTheLastAdvance) {
  FontParams params;
  params.num_hmetrics = 1;
  for (int k = 0; k < 6; ++k)
    params.glyphs.push_back(
        {testfont::simple_glyph({box(0, 0, 10 + k, 10)}), static_cast<uint16_t>(300 + k), 0});
  const auto font = load_font(testfont::build_font(params));
  ASSERT_NE(font, nullptr);
  for (uint16_t glyph = 0; glyph < 6; ++glyph)
    EXPECT_EQ(rasterize_truetype_glyph(*font, glyph, 1).advance, 300) << glyph;
  // Glyph 5's left side bearing entry lies at hmtx + 4 + 2 * 4 .. + 2 * 4 + 2. Cutting the
  // data inside it makes glyph 5 one em wide; glyph 4's entry is still complete.
  for (size_t kept : {size_t{12}, size_t{13}}) {
    const auto cut = load_font(with_hmtx_cut(params, 10, kept));
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(rasterize_truetype_glyph(*cut, 4, 1).advance, 300);
    expect_empty(rasterize_truetype_glyph(*cut, 5, 1), 1000);
  }
  const auto whole = load_font(with_hmtx_cut(params, 10, 14));
  ASSERT_NE(whole, nullptr);
  EXPECT_EQ(rasterize_truetype_glyph(*whole, 5, 1).advance, 300);
  EXPECT_GT(rasterize_truetype_glyph(*whole, 5, 1).pixels.size, 0u);
}

TEST(TrueTypeGlyphBitmap, TruncatedMetricsGiveOneEmEmptyBitmaps) {
  FontParams params;
  params.units_per_em = 2048;
  // hmtx holds 3 records of 4 bytes; the data ends after the first record and a half.
  const auto font = load_font(with_hmtx_cut(params, 4, 6));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(rasterize_truetype_glyph(*font, 0, 0.5).advance, 250);
  EXPECT_GT(rasterize_truetype_glyph(*font, 0, 0.5).pixels.size, 0u);
  expect_empty(rasterize_truetype_glyph(*font, 1, 0.5), 1024);
  expect_empty(rasterize_truetype_glyph(*font, 2, 0.5), 1024);
}

TEST(TrueTypeGlyphBitmap, MatchesTheOutlineRasterizedDirectly) {
  FontParams params;
  params.glyphs = {{testfont::simple_glyph(
                        {{{0, 0, true}, {400, 900, false}, {800, 0, true}, {400, 300, false}}}),
                    900, 0}};
  const auto font = load_font(testfont::build_font(params));
  ASSERT_NE(font, nullptr);
  const double scale = 24.0 / 1000;
  OutlineBuilder builder;
  builder.move_to({0, 0});
  flatten_quadratic(builder, {0, 0}, {400 * scale, 900 * scale}, {800 * scale, 0});
  flatten_quadratic(builder, {800 * scale, 0}, {400 * scale, 300 * scale}, {0, 0});
  builder.close_contour();
  const GlyphBitmap expected = rasterize_outline(builder, 900 * scale);
  const GlyphBitmap actual = rasterize_truetype_glyph(*font, 0, scale);
  EXPECT_EQ(actual.left, expected.left);
  EXPECT_EQ(actual.top, expected.top);
  EXPECT_EQ(actual.width, expected.width);
  EXPECT_EQ(pixels_of(actual), pixels_of(expected));
}

TEST(TrueTypeGlyphBitmap, ScratchKeepsSmallGlyphsStorageAndGivesBackLargeOnes) {
  // Glyph 1: 6,000 small boxes, 24,000 edges: more than 1 MiB of edges in the scratch.
  std::vector<testfont::Contour> boxes;
  for (int k = 0; k < 6000; ++k)
    boxes.push_back(box((k % 100) * 10, (k / 100) * 10, (k % 100) * 10 + 5, (k / 100) * 10 + 5));
  FontParams params;
  params.glyphs = {{testfont::simple_glyph({box(0, 0, 10, 10)}), 500, 0},
                   {testfont::simple_glyph(boxes), 1000, 0}};
  const auto font = load_font(testfont::build_font(params));
  ASSERT_NE(font, nullptr);
  TrueTypeGlyphScratch scratch;
  const GlyphBitmap small = rasterize_truetype_glyph(*font, 0, 1.0, scratch);
  EXPECT_GT(scratch.raster.edges.capacity, 0u);
  EXPECT_EQ(pixels_of(small), pixels_of(rasterize_truetype_glyph(*font, 0, 1.0)));
  const GlyphBitmap many = rasterize_truetype_glyph(*font, 1, 0.5, scratch);
  EXPECT_GT(many.width, 0);
  EXPECT_EQ(scratch.raster.edges.capacity, 0u);
  EXPECT_EQ(scratch.outline.segments.capacity, 0u);
  EXPECT_EQ(pixels_of(many), pixels_of(rasterize_truetype_glyph(*font, 1, 0.5)));
}
