// TrueType glyph bitmaps: the glyph's advance from hmtx and its outline from glyf,
// rasterized at a given scale.
#pragma once
#include <stdint.h>

#include "font/glyph_bitmap.h"
#include "font/glyph_budget.h"
#include "font/raster/rasterizer.h"
#include "font/truetype/font.h"
#include "font/truetype/outline.h"

struct LightHinting; // font/hinting/light_hinting.h

// The bitmap of glyph `glyph` (already looked up from a code point) at `scale` pixels per
// font unit. Never fails: a truncated hmtx gives an empty bitmap one em wide, a malformed
// glyph an empty bitmap with the glyph's own advance. A glyph past the limits of
// font/glyph_limits.h gives an empty bitmap too; with a budget, it is refused there.
GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale);

// Storage one font handle reuses for every glyph it rasterizes; when a glyph left it
// holding more than kMaxKeptScratchBytes, all of it is given back after that glyph.
struct GlyphScratch {
  OutlineBuilder outline;
  GlyfScratch glyf;
  RasterScratch raster;
};

// The same bitmap, built in `scratch`, and paid from `budget` (font/glyph_budget.h): the
// points and components decoded, then what the rasterizer spends. With `hinting`, the
// outline is hinted (font/hinting/light_hinting.h) before it is rasterized.
GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                     GlyphScratch& scratch, GlyphBudget& budget,
                                     LightHinting* hinting = nullptr);
GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                     GlyphScratch& scratch);

// The same bitmap without its pixels, paid from `budget` exactly as rasterizing pays: the
// outline is built but not rasterized.
GlyphBitmap measure_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                   GlyphScratch& scratch, GlyphBudget& budget,
                                   LightHinting* hinting = nullptr);
