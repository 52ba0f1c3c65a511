// Fonts whose missing glyph (TrueType glyph 0, Type 1 ".notdef") costs the most the
// library's limits allow, in four ways. Every code point a font does not map draws that
// glyph, so a text of N distinct such code points makes a render rasterize it N times.
// Sized for 40 px (kHostilePixelSize).
#pragma once

#include <cstdint>
#include <vector>

namespace testfont {

using Bytes = std::vector<uint8_t>;

inline constexpr float kHostilePixelSize = 40.0f;

enum class HostileShape {
  kMostEdges,    // about 2^18 edges criss-crossing one band, crossings near the limit
  kHugeBox,      // a bitmap box of about 4090 x 4090 pixels (near 2^24 pixels)
  kBoth,         // the two together
  kNothingDrawn, // all the points (TrueType) or interpreter steps (Type 1) allowed, no ink
};

inline constexpr HostileShape kHostileShapes[] = {HostileShape::kMostEdges, HostileShape::kHugeBox,
                                                  HostileShape::kBoth, HostileShape::kNothingDrawn};

const char* hostile_shape_name(HostileShape shape);

Bytes hostile_truetype(HostileShape shape);
Bytes hostile_type1(HostileShape shape); // PFB

} // namespace testfont
