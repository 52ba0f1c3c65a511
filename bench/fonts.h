// The font both sides of every benchmark open, as the library and as FreeType.
#pragma once
#include <ft2build.h>
#include FT_FREETYPE_H

#include "font/truetype/font.h"

struct TextImage;

namespace bench {

// dv_ttf_font_load_memory on DejaVu Sans at `pixel_size`.
void* load_dvttf(int pixel_size);
// Releases an image from dv_ttf_font_render.
void free_image(TextImage* image);
// The library's TrueType loader on DejaVu Sans; false when it refuses the font.
bool load_truetype(TrueTypeFont& font);
// The glyph of code point `c` through the library's character map.
uint16_t glyph_of(const TrueTypeFont& font, unsigned c);

// One FreeType library for the whole run.
FT_Library freetype();
// A FreeType face on DejaVu Sans at `pixel_size`, or null.
FT_Face load_freetype(int pixel_size);

} // namespace bench
