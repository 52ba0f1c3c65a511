// Glyphs whose sample rows cross their outline tens of thousands of times (star polygons,
// tests/support/star_glyphs.h) are drawn exactly: the bitmaps equal the reference
// rasterizer's byte for byte, as long as the render's work budget pays for them, and past
// that the glyph is refused rather than drawn blank.
#include <gtest/gtest.h>

#include "font/render_limits.h"
#include "font/truetype/glyph_bitmap.h"
#include "font/truetype/outline.h"
#include "support/sanitized_build.h"
#include "support/star_glyphs.h"
#include "unit/font/font_bytes.h"
#include "unit/font/raster/reference_rasterizer.h"

namespace {

constexpr uint16_t kStarGlyph = 1;
constexpr uint16_t kFourStarsGlyph = 2;

GlyphBudget render_budget() {
  return GlyphBudget{render_limits::kMaxNewGlyphPixels, render_limits::kMaxRasterWork};
}

double scale_for(int pixel_size) {
  return pixel_size / static_cast<double>(testfont::kStarUnitsPerEm);
}

OutlineBuilder outline_of(const TrueTypeFont& font, uint16_t glyph, int pixel_size) {
  const double scale = scale_for(pixel_size);
  OutlineBuilder outline;
  EXPECT_TRUE(append_glyph_outline(font, glyph, {scale, 0, 0, scale, 0, 0}, outline, 0));
  return outline;
}

// The most edges one horizontal line through the outline crosses, sampled every 1/64 of
// its height.
size_t busiest_line(const OutlineBuilder& outline) {
  size_t busiest = 0;
  for (int k = 1; k < 64; ++k) {
    const double y = outline.min_y + (outline.max_y - outline.min_y) * k / 64;
    size_t crossings = 0;
    for (const LineSegment& s : outline.segments) {
      const double low = s.p0.y < s.p1.y ? s.p0.y : s.p1.y;
      const double high = s.p0.y < s.p1.y ? s.p1.y : s.p0.y;
      crossings += low <= y && y < high ? 1 : 0;
    }
    busiest = crossings > busiest ? crossings : busiest;
  }
  return busiest;
}

bool any_coverage(const GlyphBitmap& bitmap) {
  for (unsigned char coverage : bitmap.pixels) {
    if (coverage != 0)
      return true;
  }
  return false;
}

// Draws `glyph` at `pixel_size` within a render's budget and compares it with the
// reference.
void expect_drawn_exactly(const TrueTypeFont& font, uint16_t glyph, int pixel_size) {
  TrueTypeGlyphScratch scratch;
  GlyphBudget budget = render_budget();
  const GlyphBitmap bitmap =
      rasterize_truetype_glyph(font, glyph, scale_for(pixel_size), scratch, budget);
  EXPECT_FALSE(budget.exhausted);
  EXPECT_TRUE(any_coverage(bitmap));
  const OutlineBuilder outline = outline_of(font, glyph, pixel_size);
  EXPECT_EQ(difference_from_reference(bitmap, reference_rasterize(outline)), "");
}

} // namespace

TEST(StarGlyphs, SixtyFiveThousandPointsAtSixteenPixelsMatchTheReference) {
  const auto font = load_font(testfont::star_font());
  ASSERT_NE(font, nullptr);
  const OutlineBuilder outline = outline_of(*font, kStarGlyph, 16);
  EXPECT_EQ(outline.segments.size, size_t{testfont::kStarPoints});
  EXPECT_GT(busiest_line(outline), size_t{20000});
  expect_drawn_exactly(*font, kStarGlyph, 16);
}

TEST(StarGlyphs, QuarterMillionEdgesAtTheLargestSizeTheBudgetPaysMatchTheReference) {
  if (testsupport::kSanitizedBuild)
    GTEST_SKIP() << "the reference takes minutes under the sanitizers";
  const auto font = load_font(testfont::star_font());
  ASSERT_NE(font, nullptr);
  // The largest whole pixel size whose glyph a render's budget pays, found by measuring
  // (which pays exactly what drawing pays).
  int largest = 0;
  for (int size = 1; size <= 64; ++size) {
    TrueTypeGlyphScratch scratch;
    GlyphBudget budget = render_budget();
    measure_truetype_glyph(*font, kFourStarsGlyph, scale_for(size), scratch, budget);
    if (budget.exhausted)
      break;
    largest = size;
  }
  ASSERT_GT(largest, 1);
  ASSERT_LT(largest, 64);
  const OutlineBuilder outline = outline_of(*font, kFourStarsGlyph, largest);
  EXPECT_EQ(outline.segments.size, size_t{testfont::kFourStarsEdges});
  EXPECT_GT(busiest_line(outline), size_t{90000});
  expect_drawn_exactly(*font, kFourStarsGlyph, largest);
  // One pixel larger, the render's budget refuses the glyph.
  TrueTypeGlyphScratch scratch;
  GlyphBudget budget = render_budget();
  rasterize_truetype_glyph(*font, kFourStarsGlyph, scale_for(largest + 1), scratch, budget);
  EXPECT_TRUE(budget.exhausted);
  std::printf("[ stars    ] four stars drawn exactly up to %d px\n", largest);
}
