// measure_outline against rasterize_outline: the same box and the same reported work for
// every kind of outline, from an empty one to one past the crossing limit; and for every
// glyph of a real font through the TrueType glyph functions.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "font/raster/rasterizer.h"
#include "font/truetype/glyph_bitmap.h"
#include "unit/font/font_bytes.h"

namespace {

void expect_same_box(const GlyphBitmap& measured, uint64_t measured_work, const GlyphBitmap& drawn,
                     uint64_t drawn_work, const std::string& what) {
  EXPECT_EQ(measured.left, drawn.left) << what;
  EXPECT_EQ(measured.top, drawn.top) << what;
  EXPECT_EQ(measured.width, drawn.width) << what;
  EXPECT_EQ(measured.height, drawn.height) << what;
  EXPECT_EQ(measured.advance, drawn.advance) << what;
  EXPECT_EQ(measured.pixels.size, 0u) << what;
  EXPECT_EQ(measured_work, drawn_work) << what;
}

struct OutlineCase {
  const char* name;
  std::function<void(OutlineBuilder&)> build;
  bool blank = false; // no box: nothing to draw, or beyond a limit
};

void polygon(OutlineBuilder& b, std::vector<Point> points) {
  b.move_to(points[0]);
  for (size_t i = 1; i < points.size(); ++i)
    b.line_to(points[i]);
  b.close_contour();
}

const double kNaN = std::nan("");

const OutlineCase kOutlines[] = {
    {"empty", [](OutlineBuilder&) {}},
    {"moves only",
     [](OutlineBuilder& b) {
       b.move_to({0, 0}), b.move_to({5, 5});
     }},
    {"box",
     [](OutlineBuilder& b) {
       polygon(b, {{0.5, 0.25}, {7.5, 0.25}, {7.5, 9}, {0.5, 9}});
     }},
    {"horizontal only",
     [](OutlineBuilder& b) {
       polygon(b, {{0, 3}, {9, 3}});
     }},
    {"negative",
     [](OutlineBuilder& b) {
       polygon(b, {{-20.3, -4}, {-2, -4}, {-11, 17.9}});
     }},
    {"NaN point",
     [](OutlineBuilder& b) {
       polygon(b, {{0, 0}, {kNaN, 4}, {4, 4}});
     }},
    {"beyond the bitmap limits",
     [](OutlineBuilder& b) {
       polygon(b, {{0, 0}, {20000, 0}, {20000, 10}});
     }},
    {"beyond the coordinate range",
     [](OutlineBuilder& b) {
       polygon(b, {{0, 0}, {1e10, 0}, {0, 1e10}});
     }},
    // 600 thin triangles 16,000 pixels tall, two edges of 64,000 sample rows each: past
    // 2^25 crossings.
    {"past the crossing limit",
     [](OutlineBuilder& b) {
       for (int i = 0; i < 600; ++i)
         polygon(b, {{i * 0.01, 0}, {i * 0.01 + 0.005, 0}, {i * 0.01, 16000}});
     },
     true},
};

TEST(MeasureOutline, SameBoxAndWorkAsRasterizing) {
  for (const OutlineCase& c : kOutlines) {
    OutlineBuilder outline;
    c.build(outline);
    RasterScratch scratch;
    const GlyphBitmap drawn = rasterize_outline(outline, 6.5, scratch);
    uint64_t work = 0;
    const GlyphBitmap measured = measure_outline(outline, 6.5, work);
    expect_same_box(measured, work, drawn, scratch.work, c.name);
    if (c.blank)
      EXPECT_EQ(drawn.width, 0) << c.name;
  }
}

// Every glyph of DejaVu Sans at two sizes, through the glyph functions the backend uses.
TEST(MeasureOutline, EveryGlyphOfARealFont) {
  std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
  const testfont::Bytes bytes(std::istreambuf_iterator<char>(in), {});
  const auto font = load_font(bytes);
  ASSERT_NE(font, nullptr);
  GlyphScratch draw_scratch;
  GlyphScratch measure_scratch;
  for (const double scale : {12.0 / 2048, 48.0 / 2048}) {
    for (uint32_t glyph = 0; glyph <= font->num_glyphs_; ++glyph) {
      const GlyphBitmap drawn =
          rasterize_truetype_glyph(*font, uint16_t(glyph), scale, draw_scratch);
      const GlyphBitmap measured =
          measure_truetype_glyph(*font, uint16_t(glyph), scale, measure_scratch);
      expect_same_box(measured, measure_scratch.raster.work, drawn, draw_scratch.raster.work,
                      "glyph " + std::to_string(glyph) + " at scale " + std::to_string(scale));
    }
  }
}

} // namespace
