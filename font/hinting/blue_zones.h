// Blue zones: the heights a font's letters share (baseline, x-height, cap height, ascender,
// descender) and how far their round letters overshoot them. They are measured once per
// font from its own glyphs, in font units, and placed on whole pixel rows per size.
#pragma once
#include <stdint.h>

#include "font/raster/outline.h"

// The heights, in font units (y up), each measured from a reference glyph's outline. A
// height whose glyph the font lacks (or draws as nothing) is not known.
struct FontHeights {
  enum Height {
    kBaseline,           // bottom of 'H' and 'x'
    kBaselineOvershoot,  // bottom of 'o' and 'O'
    kXHeight,            // top of 'x'
    kXHeightOvershoot,   // top of 'o'
    kCapHeight,          // top of 'H'
    kCapHeightOvershoot, // top of 'O'
    kAscender,           // top of 'l'
    kDescender,          // bottom of 'p'
    kCount
  };
  double value[kCount] = {};
  bool known[kCount] = {};
  bool measured = false; // the reference glyphs were looked at (known or not)
};

// The vertical extent of a glyph's drawn edges; empty when it has none.
struct VerticalExtent {
  bool empty = true;
  double bottom = 0.0;
  double top = 0.0;
};
VerticalExtent vertical_extent(const OutlineBuilder& outline);

// The code points of the reference glyphs, in the order measure_font_heights asks for them.
inline constexpr unsigned int kReferenceCodepoints[] = {'H', 'x', 'o', 'O', 'l', 'p'};

// The heights from the extents of 'H', 'x', 'o', 'O', 'l' and 'p', in that order.
FontHeights font_heights_from_extents(const VerticalExtent (&extents)[6]);

// Measures the heights with `draw(codepoint, builder)`, which draws the glyph of a code point
// unhinted into a fresh builder, true when it drew it; a glyph it could not draw leaves its
// heights unknown. The heights come out in the units `draw` draws in.
template <typename Draw> FontHeights measure_font_heights(Draw draw) {
  VerticalExtent extents[sizeof kReferenceCodepoints / sizeof kReferenceCodepoints[0]];
  int index = 0;
  for (unsigned int codepoint : kReferenceCodepoints) {
    OutlineBuilder builder;
    if (draw(codepoint, builder) && !builder.overflowed)
      extents[index] = vertical_extent(builder);
    ++index;
  }
  return font_heights_from_extents(extents);
}

// One zone at one size, in pixels (y up): edges near `flat` or `overshoot` (of the font's
// own outline at this size) move to the whole rows `fitted_flat` and `fitted_overshoot`.
// `top` zones hold the upper edges of ink (x-height, caps), the others its lower edges.
struct BlueZone {
  double flat = 0.0;
  double overshoot = 0.0;
  double fitted_flat = 0.0;
  double fitted_overshoot = 0.0;
  bool top = false;
};

struct BlueZones {
  static constexpr int kMaxZones = 5;
  BlueZone zones[kMaxZones];
  int count = 0;
  double tolerance = 0.0;  // how far outside a zone an edge still belongs to it, in pixels
  double max_stroke = 0.0; // the tallest horizontal stroke, in pixels (half the x-height)
};

// The zones of a font at `scale` pixels per font unit; none when the heights are unknown
// or the scale is not a finite positive number.
BlueZones blue_zones_at_scale(const FontHeights& heights, double scale);
