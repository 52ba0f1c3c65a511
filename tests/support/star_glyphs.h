// TrueType fonts whose glyphs are star polygons between two circles: every point on the
// curve, alternately on the outer and the inner circle, so that each edge runs from one
// circle to the other and a sample row through the middle crosses most of them. Real
// glyphs cross a row a few dozen times; these cross it tens of thousands of times while
// staying inside every per-glyph limit.
#pragma once

#include <cstdint>

#include "support/sfnt_builder.h"

namespace testfont {

inline constexpr uint16_t kStarUnitsPerEm = 2048;

// One star of `points` points centred at (1024, 1024) units, radii 1000 and 400.
Contour star_contour(int points);

// 'A' (glyph 1): one star of 65,534 points. 'B' (glyph 2): a composite of four stars of
// 65,500 points each (glyph 3), each shifted a few units: 262,000 points and edges.
inline constexpr char32_t kStarCodepoint = U'A';
inline constexpr char32_t kFourStarsCodepoint = U'B';
inline constexpr int kStarPoints = 65534;
inline constexpr int kFourStarsEdges = 4 * 65500;
Bytes star_font();

} // namespace testfont
