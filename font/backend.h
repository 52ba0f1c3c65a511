// The interface every font format implements. It sits at the bottom of the font code:
// it knows glyph bitmaps and the glyph budget, nothing of any format or of text.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/font_bytes.h"
#include "font/glyph_bitmap.h"
#include "font/glyph_budget.h"

struct FontVariations;

// A font format. `load` is called once on a fresh object with the whole file, which it may
// keep (the loader moves its only copy in, or lends the caller's bytes); on false the
// object is destroyed. Metrics are in font
// units.
class FontBackend {
public:
  virtual ~FontBackend();
  virtual bool load(FontBytes bytes) = 0;
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
  // points of a line: added to the pen after `left` before `right` is placed. What finding
  // it cost is paid from `budget` like a glyph's work: when more than is left, the budget
  // is exhausted and the caller must stop.
  virtual double kerning(unsigned int left, unsigned int right, GlyphBudget& budget);
  // True when the font's character map gives `codepoint` a glyph of its own (not the
  // missing glyph). This default claims every code point: a backend that cannot tell
  // draws everything itself.
  virtual bool has_glyph(unsigned int codepoint);
  // True when a variation selector after a code point is part of its glyph: the layout
  // then asks for the pair's key (font/variation_sequence.h) in place of the two.
  virtual bool draws_variation_sequences() const { return false; }
  // The design space of a variable font (font/sfnt/font_variations.h), null for any other.
  virtual const FontVariations* variations() const { return nullptr; }
  // Draws the instance at user values `values` (one per axis, clamped to each range) from
  // now on; only called on a backend whose `variations` is not null.
  virtual void set_variation(const double* values) { (void)values; }

  // One glyph on its own, bounded only by the per-glyph limits.
  GlyphBitmap rasterize(unsigned int codepoint, double scale) {
    GlyphBudget budget = GlyphBudget::unlimited();
    return rasterize(codepoint, scale, budget);
  }
};
