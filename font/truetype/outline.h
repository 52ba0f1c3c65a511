// Glyph outlines from the glyf table: simple glyphs as contours of lines and flattened
// quadratic curves, composite glyphs expanded through their component transforms.
#pragma once
#include <stdint.h>

#include "font/raster/outline.h"
#include "font/truetype/font.h"

// Decoding storage reused from one glyph to the next (one per font handle).
struct GlyfScratch {
  dv::vector<unsigned short> end_points;
  dv::vector<unsigned char> flags;
  dv::vector<short> xs;
  dv::vector<short> ys;
  dv::vector<Point> contour_points;
  dv::vector<bool> contour_on_curve;
  // Point deltas of a variable font's instance (font/sfnt/glyph_variations.h).
  dv::vector<double> dx;
  dv::vector<double> dy;
  GlyphDeltaScratch deltas;
  // Points decoded plus components expanded by the last glyph appended through it.
  uint64_t points_and_components = 0;
  // Point deltas read and inferred for it, and how far its phantom points moved its origin
  // and its advance (font units; 0 at the default instance and with HVAR).
  uint64_t variation_deltas = 0;
  double origin_delta = 0.0;
  double advance_delta = 0.0;
  // Away from the default instance: the component whose advance the glyph takes (its
  // USE_MY_METRICS flag), or -1.
  int32_t metrics_glyph = -1;
  // Whether that glyph stopped at one of its limits (font/glyph_limits.h: points,
  // components, composite depth, edges): a large glyph, not a malformed one.
  bool past_limits = false;
};

// Bytes of storage the scratch holds.
size_t held_bytes(const GlyfScratch& scratch);

// Appends glyph `glyph`, every point mapped through `transform`, to `builder`. True when
// appended or when there is nothing to append (index beyond the glyph count, zero length,
// zero contours); false for malformed data (a composite nested in itself among them) or a
// glyph beyond the limits of font/glyph_limits.h, which the scratch's `past_limits` tells
// apart. On false, contours appended before the defect stay in `builder`.
bool append_glyph_outline(const TrueTypeFont& font, uint16_t glyph,
                          const AffineTransform& transform, OutlineBuilder& builder, int depth);
bool append_glyph_outline(const TrueTypeFont& font, uint16_t glyph,
                          const AffineTransform& transform, OutlineBuilder& builder, int depth,
                          GlyfScratch& scratch);
