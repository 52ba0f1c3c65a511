// TrueType glyph bitmaps: the glyph's advance from hmtx and its outline from glyf,
// rasterized at a given scale.
#pragma once
#include <stdint.h>

#include "font/font_api.h"
#include "font/truetype_font.h"

// The bitmap of glyph `glyph` (already looked up from a code point) at `scale` pixels per
// font unit. Never fails: a truncated hmtx gives an empty bitmap one em wide, a malformed
// glyph an empty bitmap with the glyph's own advance.
GlyphBitmap rasterize_truetype_glyph(const TrueTypeFont& font, uint16_t glyph, double scale);
