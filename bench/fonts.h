// The font both sides of every benchmark open, as the library and as FreeType.
#pragma once
#include <ft2build.h>
#include FT_FREETYPE_H
#include <stb/stb_truetype.h>

#include <string>

#include "font/truetype/font.h"

struct TextImage;

namespace bench {

// Code point `c` (below U+10000) as UTF-8.
std::string utf8(unsigned c);

// dv_ttf_font_load_memory on DejaVu Sans at `pixel_size`; with `options`, the extended
// loader with those options.
void* load_dvttf(int pixel_size, unsigned int options = 0);
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

// stb_truetype on DejaVu Sans; false when it refuses the font.
bool load_stb(stbtt_fontinfo& font);
// stb_truetype's scale for `pixel_size` pixels per em, the library's and FreeType's size.
float stb_scale(const stbtt_fontinfo& font, int pixel_size);

class GlyphCanvas;
// Rasterizes code point `c` with stb_truetype (stbtt_GetCodepointBitmap) and composes it
// with its top-left pixel offset from (x, baseline); returns its advance in pixels.
double draw_stb_glyph(const stbtt_fontinfo& font, float scale, unsigned c, GlyphCanvas& canvas,
                      int x, int baseline);

} // namespace bench
