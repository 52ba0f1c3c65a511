// The object behind the opaque handle the font functions hand out: a loaded format, the
// size it draws at and the glyphs drawn at that size.
#pragma once
#include "containers/unordered_map.h"
#include "font/backend.h"
#include "font/glyph_bitmap.h"

struct FontHandle {
  FontBackend* backend = nullptr; // owned; never null in a handle from the loaders
  float pixel_size = 1.0f;        // at least 1.0
  dv::unordered_map<unsigned int, GlyphBitmap> bitmap_cache;
};

// Any value below 1.0, and NaN, becomes 1.0.
inline float clamp_pixel_size(float pixel_size) {
  // Written so that NaN fails the comparison and falls back as well.
  return pixel_size >= 1.0f ? pixel_size : 1.0f;
}
