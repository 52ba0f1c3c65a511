// Glyph bitmaps of a Type 1 font: naming (through the font's own encoding, or in the
// complete mode through Unicode), the charstring interpreter, the coverage rasterizer, and
// cropping to the inked pixels.
#pragma once

#include "font/glyph_bitmap.h"
#include "font/glyph_budget.h"
#include "font/raster/glyph_pipeline.h"
#include "font/type1/font.h"

struct LightHinting; // font/hinting/light_hinting.h

// The encoding's name for a code up to 255 with a non-empty slot, else ".notdef": a view
// of the font's own entry or of constant text, so naming allocates nothing.
dv::string_view glyph_name_for_codepoint(const Type1Font& font, unsigned int codepoint);

// True when the code point names a charstring of its own, not ".notdef".
bool type1_names_codepoint(const Type1Font& font, unsigned int codepoint);

// The charstring drawn for a code point, ".notdef" included; null when there is none.
const ByteView* charstring_for_type1_glyph(const Type1Font& font, unsigned int codepoint);

// Storage one font handle reuses for every glyph it rasterizes.
using Type1GlyphScratch = GlyphScratch<>;

GlyphBitmap rasterize_type1_glyph(const Type1Font& font, unsigned int codepoint, double scale);
// The same through the glyph pipeline (font/raster/glyph_pipeline.h) in `scratch`, paid
// from `budget` (font/glyph_budget.h): the charstring bytes interpreted, then what the
// rasterizer spends; the bitmap is paid for before it is cropped.
GlyphBitmap rasterize_type1_glyph(const Type1Font& font, unsigned int codepoint, double scale,
                                  Type1GlyphScratch& scratch, GlyphBudget& budget,
                                  LightHinting* hinting = nullptr);
GlyphBitmap rasterize_type1_glyph(const Type1Font& font, unsigned int codepoint, double scale,
                                  Type1GlyphScratch& scratch);

// Removes blank rows and columns at the edges, keeping every pixel in place relative to
// the glyph origin. Works in place; only when the ink takes less than half the storage
// does it move to storage of its own size.
void crop_to_ink(GlyphBitmap& bitmap);
