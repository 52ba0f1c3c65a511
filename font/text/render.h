// Drawing and measuring a text with a font handle, within the limits of one render
// (font/render_limits.h).
#pragma once
#include "font/font_handle.h"
#include "font/text/image.h"

// The image of UTF-8 `text` (a newline starts a new line) in the colour red, green, blue
// at `opacity`; null for a null handle or text and for a render beyond a limit. Glyphs
// the cache lacks are rasterized into it.
TextImage* render_text(FontHandle* font, const char* text, int red, int green, int blue,
                       double opacity);

// The same layout as a render, with the glyphs the cache lacks measured instead of
// rasterized: no glyph joins the cache and no image is made. 1 with the image's width,
// height and first baseline written (null outputs skipped), or 0 with them untouched
// where the render gives null.
int measure_text(FontHandle* font, const char* text, int* width, int* height, int* baseline);
