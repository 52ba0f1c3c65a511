// The render limits the public header states for callers are the ones the renderer
// enforces.
#include <gtest/gtest.h>

#include "font/text/render_limits.h"
#include "include/DovrelTTF.h"

TEST(RenderLimits, PublicHeaderStatesTheRenderersLimits) {
  EXPECT_EQ(DV_TTF_RENDER_MAX_TEXT_BYTES, render_limits::kMaxTextBytes);
  EXPECT_EQ(DV_TTF_RENDER_MAX_IMAGE_PIXELS, render_limits::kMaxImagePixels);
  EXPECT_EQ(DV_TTF_RENDER_MAX_NEW_GLYPHS, render_limits::kMaxNewGlyphs);
  EXPECT_EQ(DV_TTF_RENDER_MAX_NEW_GLYPH_PIXELS, render_limits::kMaxNewGlyphPixels);
  EXPECT_EQ(DV_TTF_RENDER_MAX_WORK, render_limits::kMaxRasterWork);
}
