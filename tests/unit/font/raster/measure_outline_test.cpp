// measure_outline against rasterize_outline: the same box and the same payment from the
// budget for every kind of outline, from an empty one to one past the crossing limit, and
// for budgets that run out at every step; and for every glyph of a real font through the
// TrueType glyph functions.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "font/cff/font.h"
#include "font/cff/glyph_bitmap.h"
#include "font/raster/rasterizer.h"
#include "font/truetype/glyph_bitmap.h"
#include "unit/font/font_bytes.h"

namespace {

void expect_same_box(const GlyphBitmap& measured, const GlyphBudget& measured_budget,
                     const GlyphBitmap& drawn, const GlyphBudget& drawn_budget,
                     const std::string& what) {
  EXPECT_EQ(measured.left, drawn.left) << what;
  EXPECT_EQ(measured.top, drawn.top) << what;
  EXPECT_EQ(measured.width, drawn.width) << what;
  EXPECT_EQ(measured.height, drawn.height) << what;
  EXPECT_EQ(measured.advance, drawn.advance) << what;
  EXPECT_EQ(measured.pixels.size, 0u) << what;
  EXPECT_EQ(measured_budget.work, drawn_budget.work) << what;
  EXPECT_EQ(measured_budget.bitmap_pixels, drawn_budget.bitmap_pixels) << what;
  EXPECT_EQ(measured_budget.exhausted, drawn_budget.exhausted) << what;
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
       b.move_to({0, 0});
       b.move_to({5, 5});
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

TEST(MeasureOutline, SameBoxAndPaymentAsRasterizing) {
  for (const OutlineCase& c : kOutlines) {
    OutlineBuilder outline;
    c.build(outline);
    RasterScratch scratch;
    GlyphBudget drawn_budget = GlyphBudget::unlimited();
    const GlyphBitmap drawn = rasterize_outline(outline, 6.5, scratch, drawn_budget);
    GlyphBudget measured_budget = GlyphBudget::unlimited();
    const GlyphBitmap measured = measure_outline(outline, 6.5, measured_budget);
    expect_same_box(measured, measured_budget, drawn, drawn_budget, c.name);
    if (c.blank)
      EXPECT_EQ(drawn.width, 0) << c.name;
  }
}

// Budgets that run out before, inside and after each step of the payment.
TEST(MeasureOutline, SameRefusalsAsRasterizingOnEveryBudget) {
  OutlineBuilder outline;
  polygon(outline, {{0.5, 0.25}, {7.5, 0.25}, {7.5, 9}, {0.5, 9}, {3, 4.5}});
  GlyphBudget full = GlyphBudget::unlimited();
  RasterScratch scratch;
  rasterize_outline(outline, 6.5, scratch, full);
  const uint64_t cost = UINT64_MAX - full.work;
  const int64_t pixels = INT64_MAX - full.bitmap_pixels;
  for (uint64_t work = 0; work <= cost + 1; ++work) {
    for (const int64_t room : {pixels - 1, pixels}) {
      GlyphBudget drawn_budget{room, work};
      const GlyphBitmap drawn = rasterize_outline(outline, 6.5, scratch, drawn_budget);
      GlyphBudget measured_budget{room, work};
      const GlyphBitmap measured = measure_outline(outline, 6.5, measured_budget);
      expect_same_box(measured, measured_budget, drawn, drawn_budget,
                      "work " + std::to_string(work) + ", room " + std::to_string(room));
    }
  }
}

// Every glyph of DejaVu Sans at two sizes, through the glyph functions the backend uses.
TEST(MeasureOutline, EveryGlyphOfARealFont) {
  std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
  const testfont::Bytes bytes(std::istreambuf_iterator<char>(in), {});
  const auto font = load_font(bytes);
  ASSERT_NE(font, nullptr);
  TrueTypeGlyphScratch draw_scratch;
  TrueTypeGlyphScratch measure_scratch;
  for (const double scale : {12.0 / 2048, 48.0 / 2048}) {
    for (uint32_t glyph = 0; glyph <= font->num_glyphs; ++glyph) {
      GlyphBudget drawn_budget = GlyphBudget::unlimited();
      const GlyphBitmap drawn =
          rasterize_truetype_glyph(*font, uint16_t(glyph), scale, draw_scratch, drawn_budget);
      GlyphBudget measured_budget = GlyphBudget::unlimited();
      const GlyphBitmap measured =
          measure_truetype_glyph(*font, uint16_t(glyph), scale, measure_scratch, measured_budget);
      expect_same_box(measured, measured_budget, drawn, drawn_budget,
                      "glyph " + std::to_string(glyph) + " at scale " + std::to_string(scale));
    }
  }
}

// Every glyph of a CFF font (Linux Libertine) at two sizes, through the CFF glyph functions.
TEST(MeasureOutline, EveryGlyphOfACffFont) {
  std::ifstream in("/usr/share/fonts/opentype/linux-libertine/LinLibertine_R.otf",
                   std::ios::binary);
  const testfont::Bytes bytes(std::istreambuf_iterator<char>(in), {});
  ASSERT_FALSE(bytes.empty()) << "fonts-linuxlibertine";
  CffFont font;
  ASSERT_TRUE(
      load_cff_font(font, dv::vector<unsigned char>(bytes.data(), bytes.data() + bytes.size()), 0));
  CffGlyphScratch draw_scratch;
  CffGlyphScratch measure_scratch;
  for (const double scale : {12.0 / font.units_per_em, 48.0 / font.units_per_em}) {
    for (uint32_t glyph = 0; glyph <= font.num_glyphs; ++glyph) {
      GlyphBudget drawn_budget = GlyphBudget::unlimited();
      const GlyphBitmap drawn = rasterize_cff_glyph(font, glyph, scale, draw_scratch, drawn_budget);
      GlyphBudget measured_budget = GlyphBudget::unlimited();
      const GlyphBitmap measured =
          measure_cff_glyph(font, glyph, scale, measure_scratch, measured_budget);
      expect_same_box(measured, measured_budget, drawn, drawn_budget,
                      "glyph " + std::to_string(glyph) + " at scale " + std::to_string(scale));
    }
  }
}

} // namespace
