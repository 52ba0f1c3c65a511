#include "font/hinting/light_hinting.h"

#include "font/hinting/grid_fitting.h"

namespace {

// More horizontal edges than this and a glyph is drawn as it is (real glyphs have dozens).
constexpr size_t kMaxHintedEdges = 256;

// Coordinates beyond this many pixels are drawn unhinted: the rounding of the fitting is
// exact well inside the 32-bit range only.
constexpr double kMaxHintedCoordinate = 1 << 20;

bool within_range(double v) {
  // Written so that NaN fails as well.
  return v > -kMaxHintedCoordinate && v < kMaxHintedCoordinate;
}

// Too small (less than a row tall) or too odd (bounds out of range) to hint.
bool hintable(const OutlineBuilder& outline) {
  if (outline.segments.size == 0 || !within_range(outline.min_x) || !within_range(outline.max_x) ||
      !within_range(outline.min_y) || !within_range(outline.max_y))
    return false;
  return outline.max_y - outline.min_y >= 1.0;
}

const BlueZones& zones_at(LightHinting& hinting, double scale) {
  if (hinting.zones_scale != scale) {
    hinting.zones = blue_zones_at_scale(hinting.heights, scale);
    hinting.zones_scale = scale;
  }
  return hinting.zones;
}

} // namespace

bool hint_outline(OutlineBuilder& outline, double scale, LightHinting& hinting,
                  GlyphBudget& budget) {
  if (!hinting.enabled || !hinting.heights.measured || !hintable(outline))
    return true;
  const BlueZones& zones = zones_at(hinting, scale);
  if (zones.count == 0)
    return true;
  // Every edge is looked at once to find the runs and moved once by the warp; pairing the
  // runs into strokes compares each with each.
  if (!budget.spend(outline.segments.size * kWorkPerHintedEdge))
    return false;
  if (!find_horizontal_edges(outline, kMaxHintedEdges, hinting.edges))
    return true;
  if (!budget.spend(hinting.edges.size * hinting.edges.size))
    return false;
  fit_edges_to_grid(zones, hinting.edges, hinting.warp);
  warp_outline(hinting.warp, outline);
  return true;
}

void hint_drawn_glyph(OutlineBuilder& outline, OutlineDrawing& drawing, double scale,
                      LightHinting* hinting, GlyphBudget& budget) {
  if (hinting == nullptr || !drawing.drawn || drawing.past_limits || outline.overflowed)
    return;
  const bool paid = budget.spend(drawing.work);
  drawing.work = 0;
  if (!paid || !hint_outline(outline, scale, *hinting, budget))
    drawing.drawn = false;
}
