// The one blend of a coloured pixel onto a surface pixel, in integers and exactly
// rounded. A text pixel has the colour C (each channel 0-255) and the alpha a = floor(c *
// A / 255) of its coverage c and the opacity A, as in a rendered image. Onto a surface:
//   - BGRX8888 and RGBX8888 (opaque): each colour channel D becomes
//       round((C * a + D * (255 - a)) / 255);
//     the fourth byte is left as it is.
//   - RGBA8888 (straight alpha Da): with P = 255 * a + Da * (255 - a),
//       alpha becomes round(P / 255) and each channel round((255 * C * a +
//       D * Da * (255 - a)) / P).
//     At Da = 255 this is the opaque blend.
// a = 0 leaves the pixel as it is. Every quotient is exact (no halves occur: 255 is odd,
// and the straight quotient is rounded as floor((2N + P) / 2P)).
#pragma once
#include <stdint.h>

namespace surface_blend {

// round(x / 255) for 0 <= x <= 255 * 255: with t = x + 128, (t + (t >> 8)) >> 8 equals
// floor((2x + 255) / 510) over that whole range (checked value by value in the tests).
inline uint32_t divide_by_255_rounded(uint32_t x) {
  const uint32_t t = x + 128;
  return (t + (t >> 8)) >> 8;
}

inline uint8_t opaque_channel(uint32_t colour, uint32_t below, uint32_t alpha) {
  return static_cast<uint8_t>(divide_by_255_rounded(colour * alpha + below * (255 - alpha)));
}

// The straight-alpha blend of one pixel, channels R, G, B, A at `pixel`; alpha > 0.
inline void straight_pixel(const uint8_t colour[3], uint32_t alpha, uint8_t* pixel) {
  const uint32_t below_alpha = pixel[3];
  const uint32_t kept = below_alpha * (255 - alpha);
  const uint32_t total = 255 * alpha + kept; // >= 255
  for (int channel = 0; channel < 3; ++channel) {
    const uint32_t numerator = 255 * colour[channel] * alpha + pixel[channel] * kept;
    pixel[channel] = static_cast<uint8_t>((2 * numerator + total) / (2 * total));
  }
  pixel[3] = static_cast<uint8_t>(divide_by_255_rounded(total));
}

} // namespace surface_blend
