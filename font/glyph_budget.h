// What one render may still spend on the glyphs it rasterizes, handed down to the
// backend with every glyph.
#pragma once
#include <stdint.h>

// Work is counted in units that each take a few nanoseconds (3 to 15 on the machines the
// benchmarks ran on), so that a budget of work is a budget of time whatever a glyph spends
// it on:
//   - each charstring byte a Type 1 interpreter runs: kWorkPerInterpreterStep;
//   - each glyf point decoded and each composite component expanded: kWorkPerGlyfPoint;
//   - each outline edge: one unit;
//   - each crossing of an edge with a sample row: one unit and its share of sorting that
//     row, log2 of the crossings a row may hold (see rasterizer.h);
//   - each pixel of a glyph's bitmap: one unit;
//   - with hinting, each outline edge: kWorkPerHintedEdge, and each pair of its horizontal
//     edges compared: one unit;
//   - in a variable font away from its default instance, each point delta read or
//     inferred: kWorkPerVariationDelta, and each region of an advance delta: one unit;
//   - each delta a CFF2 blend applies (at any instance): kWorkPerVariationDelta, and away
//     from the default instance each region weighed for the blends: one unit;
//   - with kerning, each field read to find a pair's kerning: kWorkPerKerningRead (a render
//     pays this for every pair of its text, cached glyphs included).
inline constexpr uint64_t kWorkPerInterpreterStep = 8;
inline constexpr uint64_t kWorkPerGlyfPoint = 8;
inline constexpr uint64_t kWorkPerKerningRead = 2;
inline constexpr uint64_t kWorkPerHintedEdge = 4;
inline constexpr uint64_t kWorkPerVariationDelta = 2;

// A backend draws a glyph within the budget and takes what the glyph cost from it. When a
// glyph needs more than is left, the backend refuses it before allocating (pixels) or
// working (units) beyond one glyph's own limits: it marks the budget exhausted and
// returns an empty bitmap, which the render does not cache; the render then gives null.
// A glyph past one of its own limits (font/glyph_limits.h) is refused the same way.
struct GlyphBudget {
  int64_t bitmap_pixels; // bitmap bytes new glyphs may still allocate
  uint64_t work;         // work units left
  bool exhausted = false;

  // A budget no glyph can exhaust: each glyph's own limits alone bound it.
  static GlyphBudget unlimited() { return GlyphBudget{INT64_MAX, UINT64_MAX}; }

  // Takes `units`; false, and exhausted, when fewer are left.
  bool spend(uint64_t units) {
    if (units > work) {
      exhausted = true;
      return false;
    }
    work -= units;
    return true;
  }

  // Refuses a glyph past one of its own limits, whatever is left.
  void refuse() { exhausted = true; }

  // Takes room for a bitmap of `pixels` bytes; false, and exhausted, when less is left.
  bool take_pixels(int64_t pixels) {
    if (pixels > bitmap_pixels) {
      exhausted = true;
      return false;
    }
    bitmap_pixels -= pixels;
    return true;
  }
};
