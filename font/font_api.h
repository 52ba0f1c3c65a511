// Font handles: the records every font backend shares and the exported font functions.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "containers/unordered_map.h"
#include "containers/vector.h"
#include "font/glyph_budget.h"

// One rasterized glyph, placed relative to the pen position on the baseline.
struct GlyphBitmap {
  int32_t left = 0;  // pixels right of the origin to column 0 (may be negative)
  int32_t top = 0;   // pixels above the baseline to the top edge of row 0
  int32_t width = 0; // 0 for a glyph without ink
  int32_t height = 0;
  double advance = 0.0;             // horizontal pen advance in pixels, unrounded
  dv::vector<unsigned char> pixels; // width * height coverage values, top row first

  // Moving copies the numbers and takes the pixel vector, leaving the source's empty.
  GlyphBitmap() = default;
  GlyphBitmap(GlyphBitmap&& other) = default;
  GlyphBitmap& operator=(GlyphBitmap&& other) = default;
};

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

  // One glyph on its own, bounded only by the per-glyph limits.
  GlyphBitmap rasterize(unsigned int codepoint, double scale) {
    GlyphBudget budget = GlyphBudget::unlimited();
    return rasterize(codepoint, scale, budget);
  }
};

// The object behind the opaque handle the font functions hand out.
struct FontHandle {
  FontBackend* backend = nullptr; // owned; never null in a handle from the loaders
  float pixel_size = 1.0f;        // at least 1.0
  dv::unordered_map<unsigned int, GlyphBitmap> bitmap_cache;
};

// The big-endian u32 at `offset`; the caller guarantees offset + 4 <= bytes.size.
uint32_t read_u32_be(const dv::vector<unsigned char>& bytes, unsigned long offset);

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
