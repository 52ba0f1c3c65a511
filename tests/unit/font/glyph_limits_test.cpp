// The per-glyph limits the public header states for callers are the ones the backends
// and the rasterizer enforce.
#include <gtest/gtest.h>

#include "font/glyph_limits.h"
#include "include/DovrelTTF.h"

TEST(GlyphLimits, PublicHeaderStatesEveryPerGlyphLimit) {
  EXPECT_EQ(DV_TTF_GLYPH_MAX_BITMAP_SIDE, kMaxBitmapSide);
  EXPECT_EQ(DV_TTF_GLYPH_MAX_BITMAP_PIXELS, kMaxBitmapPixels);
  EXPECT_EQ(DV_TTF_GLYPH_MAX_CROSSINGS, kMaxCrossings);
  EXPECT_EQ(DV_TTF_GLYPH_MAX_EDGES, kMaxOutlineSegments);
  EXPECT_EQ(DV_TTF_GLYPH_MAX_TRUETYPE_POINTS, kMaxGlyphPoints);
  EXPECT_EQ(DV_TTF_GLYPH_MAX_TRUETYPE_COMPONENTS, kMaxGlyphComponents);
  EXPECT_EQ(DV_TTF_GLYPH_MAX_COMPOSITE_DEPTH, kMaxCompositeDepth);
  EXPECT_EQ(DV_TTF_GLYPH_MAX_CFF_STEPS, kMaxCharstringSteps);
  EXPECT_EQ(DV_TTF_GLYPH_MAX_TYPE1_WORK, kMaxType1Work);
}
