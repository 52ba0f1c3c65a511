// TrueType glyph bitmaps: the glyph's advance from hmtx and its outline from glyf, through
// the glyph pipeline (font/raster/glyph_pipeline.h) at a given scale.
#pragma once
#include <stdint.h>

#include "font/glyph_bitmap.h"
#include "font/glyph_budget.h"
#include "font/raster/glyph_pipeline.h"
#include "font/truetype/font.h"
#include "font/truetype/outline.h"

struct LightHinting; // font/hinting/light_hinting.h

// Storage one font handle reuses for every glyph it rasterizes, glyf decoding included.
using TrueTypeGlyphScratch = GlyphScratch<GlyfScratch>;

// The bitmap of glyph `glyph` (already looked up from a code point) at `scale` pixels per
// font unit. Never fails: a truncated hmtx gives an empty bitmap one em wide, a malformed
// glyph an empty bitmap with the glyph's own advance. A glyph past the limits of
// font/glyph_limits.h gives an empty bitmap too; with a budget, it is refused there.
GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale);

// The same bitmap, built in `scratch`, and paid from `budget` (font/glyph_budget.h): the
// points and components decoded, then what the rasterizer spends.
GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                     TrueTypeGlyphScratch& scratch, GlyphBudget& budget,
                                     LightHinting* hinting = nullptr);
GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                     TrueTypeGlyphScratch& scratch);

// The bitmap `output` asks for: with its pixels, or only its box, paid from `budget`
// exactly as rasterizing pays (the outline is built but not rasterized).
GlyphBitmap truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                           GlyphOutput output, TrueTypeGlyphScratch& scratch, GlyphBudget& budget,
                           LightHinting* hinting = nullptr);

// The same bitmap without its pixels, paid from `budget` exactly as rasterizing pays: the
// outline is built but not rasterized.
GlyphBitmap measure_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale,
                                   TrueTypeGlyphScratch& scratch, GlyphBudget& budget,
                                   LightHinting* hinting = nullptr);
