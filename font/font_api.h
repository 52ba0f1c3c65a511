// Font handles: the records every font backend shares and the exported font functions.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "containers/unordered_map.h"
#include "containers/vector.h"
#include "font/glyph_budget.h"
#include "font/raster/glyph_bitmap.h"

// A font format. `load` is called once on a fresh object with the whole file; on false the
// object is destroyed. Metrics are in font units.
class FontBackend {
public:
  virtual ~FontBackend();
  virtual bool load(const dv::vector<unsigned char>& bytes) = 0;
  // The glyph of `codepoint` at `scale` pixels per font unit, drawn within `budget` and
  // paid from it (font/glyph_budget.h): a glyph needing more than is left comes back
  // empty with the budget exhausted, before the backend allocated or worked beyond it.
  virtual GlyphBitmap rasterize(unsigned int codepoint, double scale, GlyphBudget& budget) = 0;
  virtual double units_per_em() const = 0;
  virtual double ascent() const = 0;
  virtual double descent() const = 0;
  virtual double line_gap() const = 0;
  // 1: scaled line metrics round to the nearest integer; anything else: they round up.
  virtual int metric_rounding() const = 0;
  // The bitmap `rasterize` would return, without its pixels (`pixels` may stay empty),
  // paid from `budget` like `rasterize`. This default rasterizes and drops the pixels; a
  // backend that knows a glyph's box from its outline skips the coverage.
  virtual GlyphBitmap measure(unsigned int codepoint, double scale, GlyphBudget& budget);
  // True when `kerning` may be nonzero: the font was loaded with kerning and has some.
  virtual bool kerns() const { return false; }
  // The horizontal adjustment, in font units, between the glyphs of two consecutive code
  // points of a line: added to the pen after `left` before `right` is placed. Adds what
  // finding it cost to `work`, in the units of the glyph budget's work.
  virtual double kerning(unsigned int left, unsigned int right, uint64_t& work);
  // True when the font's character map gives `codepoint` a glyph of its own (not the
  // missing glyph). This default claims every code point: a backend that cannot tell
  // draws everything itself.
  virtual bool has_glyph(unsigned int codepoint);

  // One glyph on its own, bounded only by the per-glyph limits.
  GlyphBitmap rasterize(unsigned int codepoint, double scale) {
    GlyphBudget budget = GlyphBudget::unlimited();
    return rasterize(codepoint, scale, budget);
  }
};

struct TextScratch;

// The object behind the opaque handle the font functions hand out.
//
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

// Backend factories (each defined next to its backend). Null when the format is not built.
// `options` is the extended loaders' options word (font/load_options.h), 0 from the
// standard loaders.
FontBackend* make_truetype_backend(unsigned int options = 0);
FontBackend* make_type1_backend(unsigned int options = 0);
FontBackend* make_cff_backend(unsigned int options = 0);

// Any value below 1.0, and NaN, becomes 1.0.
float clamp_pixel_size(float pixel_size);

struct TextImage;

namespace dv {

void* dv_ttf_font_load_memory(const void* data, unsigned long size, float pixel_size);
void* dv_ttf_font_load(const char* path, float pixel_size);
void* dv_ttf_font_load_memory_ex(const void* data, unsigned long size, float pixel_size,
                                 unsigned int options);
void* dv_ttf_font_load_ex(const char* path, float pixel_size, unsigned int options);
void dv_ttf_font_resize(void* handle, float pixel_size);
TextImage* dv_ttf_font_render(void* handle, const char* text, int red, int green, int blue,
                              double opacity);
int dv_ttf_font_measure(void* handle, const char* text, int* width, int* height, int* baseline);
void dv_ttf_font_free(void* handle);

} // namespace dv
