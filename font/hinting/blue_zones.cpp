#include "font/hinting/blue_zones.h"

#include "runtime/math.h"

namespace {

bool usable(double v) {
  // Written so that NaN fails as well.
  return v > -1e6 && v < 1e6;
}

void set_height(FontHeights& heights, FontHeights::Height which, double value) {
  heights.value[which] = value;
  heights.known[which] = true;
}

// The x-height decides how the whole lowercase reads: rounding it up from four tenths of a
// row keeps small letters open at menu sizes, where rounding down would squash them.
double fitted_x_height(double x_height) {
  return dv::floor(x_height + 0.6);
}

// Overshoots shorter than three quarters of a row vanish: a round letter's top on the same
// row as its flat neighbours looks the same height, one a row above looks taller.
double fitted_overshoot(double fitted_flat, double flat, double overshoot) {
  const double depth = overshoot - flat;
  const double magnitude = depth < 0 ? -depth : depth;
  if (magnitude < 0.75)
    return fitted_flat;
  const double rows = dv::floor(magnitude + 0.5);
  return depth < 0 ? fitted_flat - rows : fitted_flat + rows;
}

void add_zone(BlueZones& zones, double flat, double overshoot, double fitted, bool top) {
  BlueZone& zone = zones.zones[zones.count++];
  zone.flat = flat;
  zone.overshoot = overshoot;
  zone.fitted_flat = fitted;
  zone.fitted_overshoot = fitted_overshoot(fitted, flat, overshoot);
  zone.top = top;
}

// The overshoot when it is known and lies beyond the flat height, else the flat height.
double overshoot_or_flat(const FontHeights& heights, FontHeights::Height overshoot, double flat,
                         bool top) {
  if (!heights.known[overshoot])
    return flat;
  const double value = heights.value[overshoot];
  return (top ? value > flat : value < flat) ? value : flat;
}

} // namespace

namespace {

// Widens `extent` by height y; false when y is out of range (the glyph is measured as none).
bool include_height(VerticalExtent& extent, double y) {
  if (!usable(y))
    return false;
  if (extent.empty) {
    extent = VerticalExtent{false, y, y};
    return true;
  }
  extent.bottom = y < extent.bottom ? y : extent.bottom;
  extent.top = y > extent.top ? y : extent.top;
  return true;
}

} // namespace

VerticalExtent vertical_extent(const OutlineBuilder& outline) {
  VerticalExtent extent;
  for (size_t i = 0; i < outline.segments.size; ++i) {
    const LineSegment& s = outline.segments[i];
    if (!include_height(extent, s.p0.y) || !include_height(extent, s.p1.y))
      return VerticalExtent();
  }
  return extent.top > extent.bottom ? extent : VerticalExtent();
}

FontHeights font_heights_from_extents(const VerticalExtent (&extents)[6]) {
  const VerticalExtent& h = extents[0];
  const VerticalExtent& x = extents[1];
  const VerticalExtent& o = extents[2];
  const VerticalExtent& big_o = extents[3];
  const VerticalExtent& l = extents[4];
  const VerticalExtent& p = extents[5];
  FontHeights heights;
  heights.measured = true;
  if (!h.empty || !x.empty)
    set_height(heights, FontHeights::kBaseline, !h.empty ? h.bottom : x.bottom);
  if (!o.empty || !big_o.empty) {
    const double bottom = o.empty                   ? big_o.bottom
                          : big_o.empty             ? o.bottom
                          : o.bottom < big_o.bottom ? o.bottom
                                                    : big_o.bottom;
    set_height(heights, FontHeights::kBaselineOvershoot, bottom);
  }
  if (!x.empty)
    set_height(heights, FontHeights::kXHeight, x.top);
  if (!o.empty)
    set_height(heights, FontHeights::kXHeightOvershoot, o.top);
  if (!h.empty)
    set_height(heights, FontHeights::kCapHeight, h.top);
  if (!big_o.empty)
    set_height(heights, FontHeights::kCapHeightOvershoot, big_o.top);
  if (!l.empty)
    set_height(heights, FontHeights::kAscender, l.top);
  if (!p.empty)
    set_height(heights, FontHeights::kDescender, p.bottom);
  return heights;
}

BlueZones blue_zones_at_scale(const FontHeights& heights, double scale) {
  BlueZones zones;
  // Written so that NaN fails as well.
  if (!(scale > 0.0 && scale < 1e4) || !heights.known[FontHeights::kBaseline] ||
      !heights.known[FontHeights::kXHeight])
    return zones;
  const double baseline = heights.value[FontHeights::kBaseline] * scale;
  const double x_height = heights.value[FontHeights::kXHeight] * scale;
  if (!(x_height > baseline))
    return zones;
  zones.tolerance = 0.04 * (x_height - baseline);
  zones.tolerance = zones.tolerance < 0.3 ? 0.3 : zones.tolerance > 0.6 ? 0.6 : zones.tolerance;
  zones.max_stroke = 0.5 * (x_height - baseline);

  const double base_shoot = overshoot_or_flat(heights, FontHeights::kBaselineOvershoot,
                                              heights.value[FontHeights::kBaseline], false) *
                            scale;
  add_zone(zones, baseline, base_shoot, dv::floor(baseline + 0.5), false);
  const double x_shoot = overshoot_or_flat(heights, FontHeights::kXHeightOvershoot,
                                           heights.value[FontHeights::kXHeight], true) *
                         scale;
  add_zone(zones, x_height, x_shoot, fitted_x_height(x_height), true);
  if (heights.known[FontHeights::kCapHeight]) {
    const double cap = heights.value[FontHeights::kCapHeight] * scale;
    const double shoot = overshoot_or_flat(heights, FontHeights::kCapHeightOvershoot,
                                           heights.value[FontHeights::kCapHeight], true) *
                         scale;
    if (cap > x_height)
      add_zone(zones, cap, shoot, dv::floor(cap + 0.5), true);
  }
  if (heights.known[FontHeights::kAscender]) {
    const double ascender = heights.value[FontHeights::kAscender] * scale;
    if (ascender > x_height)
      add_zone(zones, ascender, ascender, dv::floor(ascender + 0.5), true);
  }
  if (heights.known[FontHeights::kDescender]) {
    const double descender = heights.value[FontHeights::kDescender] * scale;
    if (descender < baseline)
      add_zone(zones, descender, descender, dv::floor(descender + 0.5), false);
  }
  return zones;
}
