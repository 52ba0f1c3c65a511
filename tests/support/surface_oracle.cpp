#include "support/surface_oracle.h"

namespace surface_oracle {

namespace {

// round(numerator / denominator) for positive values; no halves occur in the formula.
uint32_t rounded(uint64_t numerator, uint64_t denominator) {
  return static_cast<uint32_t>((2 * numerator + denominator) / (2 * denominator));
}

void blend(const uint8_t* source, uint8_t* pixel, uint32_t format) {
  const uint64_t a = source[3];
  if (a == 0)
    return;
  const uint8_t rgb[3] = {source[0], source[1], source[2]};
  if (format == kRgba8888) {
    const uint64_t below = pixel[3];
    const uint64_t total = 255 * a + below * (255 - a);
    for (int c = 0; c < 3; ++c)
      pixel[c] =
          static_cast<uint8_t>(rounded(255 * rgb[c] * a + pixel[c] * below * (255 - a), total));
    pixel[3] = static_cast<uint8_t>(rounded(total, 255));
    return;
  }
  const int order[3] = {format == kBgrx8888 ? 2 : 0, 1, format == kBgrx8888 ? 0 : 2};
  for (int c = 0; c < 3; ++c) {
    uint8_t& target = pixel[order[c]];
    target = static_cast<uint8_t>(rounded(rgb[c] * a + target * (255 - a), 255));
  }
}

} // namespace

void blit(const uint8_t* image, int32_t width, int32_t height, uint8_t* surface,
          int32_t surface_width, int32_t surface_height, int32_t pitch, uint32_t format, int64_t x,
          int64_t y) {
  for (int64_t row = 0; row < height; ++row) {
    for (int64_t column = 0; column < width; ++column) {
      const int64_t sx = x + column;
      const int64_t sy = y + row;
      if (sx < 0 || sy < 0 || sx >= surface_width || sy >= surface_height)
        continue;
      blend(image + (row * width + column) * 4, surface + sy * pitch + sx * 4, format);
    }
  }
}

} // namespace surface_oracle
