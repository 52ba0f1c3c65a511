// TrueType glyph bitmaps: the glyph's advance from hmtx and its outline from glyf,
// rasterized at a given scale.
#pragma once
#include <stdint.h>

#include "font/font_api.h"
#include "font/raster/rasterizer.h"
#include "font/truetype/font.h"
#include "font/truetype/outline.h"

// The bitmap of glyph `glyph` (already looked up from a code point) at `scale` pixels per
// font unit. Never fails: a truncated hmtx gives an empty bitmap one em wide, a malformed
// glyph an empty bitmap with the glyph's own advance.
GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale);

// Storage one font handle reuses for every glyph it rasterizes; what a glyph needed beyond
// 1 MiB of it is given back after that glyph.
struct GlyphScratch {
  OutlineBuilder outline;
  GlyfScratch glyf;
  RasterScratch raster;
};

// The same bitmap, built in `scratch`.
GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                     GlyphScratch& scratch);

// The same bitmap without its pixels, at the same cost in scratch.raster.work: the outline
// is built but not rasterized.
GlyphBitmap measure_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                   GlyphScratch& scratch);
