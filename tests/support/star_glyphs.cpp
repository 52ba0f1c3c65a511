#include "support/star_glyphs.h"

#include <cmath>

namespace testfont {

namespace {

constexpr int kCentre = 1024;
constexpr double kOuterRadius = 1000;
constexpr double kInnerRadius = 400;
constexpr int kFourStarsPointsEach = kFourStarsEdges / 4;

} // namespace

Contour star_contour(int points) {
  Contour contour;
  const double pi = std::acos(-1.0);
  for (int k = 0; k < points; ++k) {
    const double radius = k % 2 == 0 ? kOuterRadius : kInnerRadius;
    const double angle = 2 * pi * k / points;
    contour.push_back({kCentre + static_cast<int>(std::lround(radius * std::cos(angle))),
                       kCentre + static_cast<int>(std::lround(radius * std::sin(angle))), true});
  }
  return contour;
}

Bytes star_font() {
  std::vector<Component> four;
  for (int k = 0; k < 4; ++k) {
    Component c;
    c.glyph = 3;
    c.arg1 = 3 * k;
    c.arg2 = 5 * k;
    four.push_back(c);
  }
  FontParams params;
  params.units_per_em = kStarUnitsPerEm;
  params.ascender = 2048;
  params.descender = 0;
  params.line_gap = 0;
  params.index_to_loc_format = 1;
  params.glyphs = {GlyphShape{simple_glyph({box(0, 0, 1000, 1000)}), 2048, 0},
                   GlyphShape{simple_glyph({star_contour(kStarPoints)}), 2048, 0},
                   GlyphShape{composite_glyph(four), 2048, 0},
                   GlyphShape{simple_glyph({star_contour(kFourStarsPointsEach)}), 2048, 0}};
  params.cmaps = {{3, 1, cmap_format4_for({{kStarCodepoint, 1}, {kFourStarsCodepoint, 2}})}};
  return build_font(params);
}

} // namespace testfont
