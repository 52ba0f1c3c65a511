// The object behind the opaque handle the font functions hand out: a loaded format, the
// size it draws at and the glyphs drawn at that size.
#pragma once
#include <stdint.h>

#include "containers/unordered_map.h"
#include "containers/vector.h"
#include "font/backend.h"
#include "font/glyph_bitmap.h"

struct TextScratch;

// Fallback lists (font/text/fallback_list.h) hold handles by reference count: `holders`
// counts the lists a handle is in. Freeing a handle empties its own list at once; the
// handle itself is destroyed then only when no list holds it, else it is marked
// `released` and destroyed when the last list lets it go.
struct FontHandle {
  FontBackend* backend = nullptr; // owned; never null in a handle from the loaders
  float pixel_size = 1.0f;        // at least 1.0
  dv::unordered_map<unsigned int, GlyphBitmap> bitmap_cache;
  dv::vector<FontHandle*> fallbacks; // consulted in order after this handle's own font
  // Glyphs of the fallbacks at this handle's size, by fallback_glyph_key.
  dv::unordered_map<unsigned int, GlyphBitmap> fallback_cache;
  uint32_t holders = 0;
  bool released = false;
  TextScratch* text_scratch = nullptr; // owned; storage reused by laid-out renders and draws
};

// Destroys a handle and everything it owns; its fallback list must already be empty.
void destroy_font_handle(FontHandle* font);

// Releases a handle's text_scratch (null is fine); defined with the laid-out text.
void delete_text_scratch(TextScratch* scratch);

// Any value below 1.0, and NaN, becomes 1.0.
inline float clamp_pixel_size(float pixel_size) {
  // Written so that NaN fails the comparison and falls back as well.
  return pixel_size >= 1.0f ? pixel_size : 1.0f;
}
