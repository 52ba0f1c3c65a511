// Why dv_ttf_font_render gives null for a text, with the figures the render compared
// against its limits (font/render_limits.h): what a tool tells its user instead of null.
#pragma once
#include <stdint.h>

#include "font/font_handle.h"

struct RenderRefusal {
  // The limit a check made before the layout found passed; those checks stop at the first.
  enum class Early {
    kNone,
    kTextBytes, // `text_bytes` past kMaxTextBytes
    kLines,     // `lines` lines of `line_height` px taller than kMaxImagePixels allows
    kNewGlyphs, // `new_glyphs` distinct code points not cached yet, past kMaxNewGlyphs
  };
  Early early = Early::kNone;
  uint64_t text_bytes = 0;
  uint64_t lines = 0;
  int64_t line_height = 0;
  uint64_t new_glyphs = 0;

  // Past those checks, the text laid out with the image and glyph limits lifted: every
  // limit the whole layout goes beyond, with the sizes it would have had.
  bool image_too_large = false; // width x height past kMaxImagePixels
  bool too_many_glyph_pixels = false;
  bool too_much_work = false;
  int64_t width = 0;
  int64_t height = 0;
  int64_t glyph_pixels = 0; // of the new glyphs' bitmaps
  uint64_t work = 0;        // the new glyphs' rasterizing

  // The layout could not be finished even so: a glyph past one of its own limits
  // (font/glyph_limits.h), or an image past kMeasurablePixels.
  bool glyph_past_its_limits = false;
  bool beyond_measure = false;

  // The largest image the lifted layout lays out: sides and area stay within the int32
  // range.
  static constexpr int64_t kMeasurablePixels = INT32_MAX;

  bool refused() const {
    return early != Early::kNone || image_too_large || too_many_glyph_pixels || too_much_work ||
           glyph_past_its_limits || beyond_measure;
  }
};

// What render_text decides for `text` (neither null, the handle usable), found by the same
// checks and the same layout, but with every figure counted to its end and the layout
// run with the image and glyph limits lifted. The new glyphs are measured, not cached.
RenderRefusal explain_render_refusal(FontHandle* font, const char* text);
