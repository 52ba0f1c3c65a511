// Light hinting: a vertical-only grid fitting of each glyph's outline, computed from the
// outlines themselves. Horizontal edges in the font's blue zones land on whole pixel rows,
// horizontal strokes get whole rows, and every other point follows by a monotone warp. x is
// never touched, so advances, kerning and the horizontal layout stay as they are.
#pragma once
#include "containers/vector.h"
#include "font/glyph_budget.h"
#include "font/hinting/blue_zones.h"
#include "font/hinting/horizontal_edges.h"
#include "font/hinting/vertical_warp.h"
#include "font/raster/glyph_pipeline.h"
#include "font/raster/outline.h"

// What one font handle keeps for hinting: whether it hints, the font's heights (measured
// once, by the backend, before the first hinted glyph), the zones of the last size, and
// storage reused by every glyph.
struct LightHinting {
  bool enabled = false;
  FontHeights heights;
  double zones_scale = 0.0;
  BlueZones zones;
  dv::vector<HorizontalEdge> edges;
  VerticalWarp warp;
};

// Hints `outline`, drawn at `scale` pixels per font unit, in place, when `hinting` is
// enabled and its heights measured. The work is paid from `budget`: false, with the budget
// exhausted, when less is left (the glyph is then refused). Glyphs too small or too odd to
// hint (too short for a row, too many edges, coordinates out of range) are left as drawn.
bool hint_outline(OutlineBuilder& outline, double scale, LightHinting& hinting,
                  GlyphBudget& budget);

// The hinting step of the glyph pipeline (font/raster/glyph_pipeline.h), for a format's
// drawing step to end with: when `hinting` is not null and the glyph was drawn, pays the
// drawing's work, as the pipeline would next, then hints the outline. A glyph the budget
// cannot pay for comes out undrawn, with the budget exhausted.
void hint_drawn_glyph(OutlineBuilder& outline, OutlineDrawing& drawing, double scale,
                      LightHinting* hinting, GlyphBudget& budget);

// The reference glyphs are measured at this many pixels per em: their heights come out
// within a thousandth of an em, at a small part of the cost of drawing them in font units.
inline constexpr double kMeasuringPixelsPerEm = 256.0;

// Measures the font's heights when `hinting` is enabled and has not measured them yet, with
// `draw(codepoint, scale, builder, work)`, which draws a glyph unhinted at `scale` pixels
// per font unit into a fresh builder, adds what that cost to `work` and tells whether it
// drew it. What drawing and measuring cost is paid from `budget`: false, with the budget
// exhausted, when it cannot pay.
template <typename Draw>
bool prepare_light_hinting(LightHinting& hinting, double units_per_em, GlyphBudget& budget,
                           Draw draw) {
  if (!hinting.enabled || hinting.heights.measured)
    return true;
  uint64_t work = 0;
  // Written so that NaN fails as well.
  const double scale = units_per_em > 0.0 ? kMeasuringPixelsPerEm / units_per_em : 1.0;
  hinting.heights = measure_font_heights([&](unsigned int codepoint, OutlineBuilder& builder) {
    const bool drawn = draw(codepoint, scale, builder, work);
    work += builder.segments.size * kWorkPerHintedEdge;
    return drawn;
  });
  for (double& value : hinting.heights.value)
    value /= scale;
  if (!budget.spend(work)) {
    hinting.heights = FontHeights();
    return false;
  }
  return true;
}
