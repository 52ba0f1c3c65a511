// CFF glyph bitmaps: the glyph's advance from hmtx and its outline from its charstring,
// through the glyph pipeline (font/raster/glyph_pipeline.h) at a given scale.
#pragma once
#include <stdint.h>

#include "font/cff/font.h"
#include "font/glyph_bitmap.h"
#include "font/glyph_budget.h"
#include "font/raster/glyph_pipeline.h"

struct LightHinting; // font/hinting/light_hinting.h

// Storage one font handle reuses for every glyph it rasterizes.
using CffGlyphScratch = GlyphScratch<>;

// The bitmap of glyph `glyph` (already looked up from a code point) at `scale` pixels per
// font unit, paid from `budget` (font/glyph_budget.h: each charstring operand and operator
// counts as an interpreter step). Never fails: a truncated hmtx gives an empty bitmap one
// em wide, a malformed charstring an empty bitmap with the glyph's own advance, and one
// past the limits of font/glyph_limits.h the same, with the budget refused.
GlyphBitmap rasterize_cff_glyph(const CffFont& font, uint32_t glyph, double scale,
                                CffGlyphScratch& scratch, GlyphBudget& budget,
                                LightHinting* hinting = nullptr);

// The bitmap `output` asks for: with its pixels, or only its box, paid from `budget`
// exactly as rasterizing pays (the outline is built but not rasterized).
GlyphBitmap cff_glyph(const CffFont& font, uint32_t glyph, double scale, GlyphOutput output,
                      CffGlyphScratch& scratch, GlyphBudget& budget,
                      LightHinting* hinting = nullptr);

// The same bitmap without its pixels, paid from `budget` exactly as rasterizing pays: the
// outline is built but not rasterized.
GlyphBitmap measure_cff_glyph(const CffFont& font, uint32_t glyph, double scale,
                              CffGlyphScratch& scratch, GlyphBudget& budget,
                              LightHinting* hinting = nullptr);
