// CFF glyph bitmaps: the glyph's advance from hmtx and its outline from its charstring,
// rasterized at a given scale.
#pragma once
#include <stdint.h>

#include "font/cff/font.h"
#include "font/glyph_bitmap.h"
#include "font/glyph_budget.h"
#include "font/raster/rasterizer.h"

struct LightHinting; // font/hinting/light_hinting.h

// Storage one font handle reuses for every glyph it rasterizes; when a glyph leaves it
// holding more than kMaxKeptScratchBytes, all of it is given back after that glyph.
struct CffGlyphScratch {
  OutlineBuilder outline;
  RasterScratch raster;
};

// The bitmap of glyph `glyph` (already looked up from a code point) at `scale` pixels per
// font unit, paid from `budget` (font/glyph_budget.h: each charstring operand and operator
// counts as an interpreter step). Never fails: a truncated hmtx gives an empty bitmap one
// em wide, a malformed charstring an empty bitmap with the glyph's own advance, and one
// past the limits of font/glyph_limits.h the same, with the budget refused. With `hinting`,
// the outline is hinted (font/hinting/light_hinting.h) before it is rasterized.
GlyphBitmap rasterize_cff_glyph(const CffFont& font, uint32_t glyph, double scale,
                                CffGlyphScratch& scratch, GlyphBudget& budget,
                                LightHinting* hinting = nullptr);

// The same bitmap without its pixels, paid from `budget` exactly as rasterizing pays: the
// outline is built but not rasterized.
GlyphBitmap measure_cff_glyph(const CffFont& font, uint32_t glyph, double scale,
                              CffGlyphScratch& scratch, GlyphBudget& budget,
                              LightHinting* hinting = nullptr);
