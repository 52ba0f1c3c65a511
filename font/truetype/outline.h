// Glyph outlines from the glyf table: simple glyphs as contours of lines and flattened
// quadratic curves, composite glyphs expanded through their component transforms.
#pragma once
#include <stdint.h>

#include "font/raster/outline.h"
#include "font/truetype/font.h"

// Work limits for one top-level glyph across all its components. Real fonts stay far below
// them; hostile composites (many components, each a composite of many more) would
// otherwise multiply the work at every nesting level.
constexpr uint32_t kMaxGlyphComponents = 4096;              // component records expanded
constexpr uint32_t kMaxGlyphPoints = 1u << 18;              // outline points decoded
constexpr uint64_t kMaxGlyphSegments = kMaxOutlineSegments; // edges in the builder

// Deepest composite nesting expanded; a composite met below it fails the glyph.
constexpr int kMaxCompositeDepth = 11;

// Decoding storage reused from one glyph to the next (one per font handle).
struct GlyfScratch {
  dv::vector<unsigned short> end_points;
  dv::vector<unsigned char> flags;
  dv::vector<short> xs;
  dv::vector<short> ys;
  dv::vector<Point> contour_points;
  dv::vector<bool> contour_on_curve;
  // Points decoded plus components expanded by the last glyph appended through it.
  uint64_t points_and_components = 0;
};

// Appends glyph `glyph`, every point mapped through `transform`, to `builder`. True when
// appended or when there is nothing to append (index beyond the glyph count, zero length,
// zero contours); false for malformed data, composites nested too deeply, or a glyph
// beyond the work limits. On false, contours appended before the defect stay in `builder`.
bool append_glyph_outline(const TrueTypeFont& font, uint16_t glyph,
                          const AffineTransform& transform, OutlineBuilder& builder, int depth);
bool append_glyph_outline(const TrueTypeFont& font, uint16_t glyph,
                          const AffineTransform& transform, OutlineBuilder& builder, int depth,
                          GlyfScratch& scratch);
