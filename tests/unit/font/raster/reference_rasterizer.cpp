#include "unit/font/raster/reference_rasterizer.h"

#include <cmath>
#include <vector>

#include "font/raster/rasterizer.h"

namespace {

constexpr double kCoordinateLimit = 2147483648.0;

bool in_range(double v) {
  return v > -kCoordinateLimit && v < kCoordinateLimit;
}

struct Crossing {
  double x;
  int direction;
};

// Where the outline's edges cross the horizontal line at sy, each with the direction it
// winds: the same half-open rule per edge as a sample test against every edge would use.
std::vector<Crossing> crossings_at(const OutlineBuilder& outline, double sy) {
  std::vector<Crossing> crossings;
  for (unsigned long k = 0; k < outline.segments.size; ++k) {
    const LineSegment& s = outline.segments.data[k];
    const double x0 = s.p0.x, y0 = s.p0.y, x1 = s.p1.x, y1 = s.p1.y;
    if (y0 == y1)
      continue;
    int direction = 0;
    if (y0 < y1 && y0 <= sy && sy < y1)
      direction = 1;
    else if (y1 < y0 && y1 <= sy && sy < y0)
      direction = -1;
    if (direction != 0)
      crossings.push_back({x0 + (x1 - x0) * (sy - y0) / (y1 - y0), direction});
  }
  return crossings;
}

// A sample is inside when the edges crossing its line to its right wind non-zero.
bool sample_inside(const std::vector<Crossing>& crossings, double sx) {
  int winding = 0;
  for (const Crossing& c : crossings)
    if (c.x > sx)
      winding += c.direction;
  return winding != 0;
}

} // namespace

ReferenceBitmap reference_rasterize(const OutlineBuilder& outline) {
  ReferenceBitmap bitmap;
  if (outline.segments.size == 0 || !outline.has_bounds)
    return bitmap;
  if (!in_range(outline.min_x) || !in_range(outline.max_x) || !in_range(outline.min_y) ||
      !in_range(outline.max_y))
    return bitmap;
  const long long fx0 = static_cast<long long>(std::floor(outline.min_x));
  const long long fx1 = static_cast<long long>(std::ceil(outline.max_x));
  const long long fy0 = static_cast<long long>(std::floor(outline.min_y));
  const long long fy1 = static_cast<long long>(std::ceil(outline.max_y));
  const long long width = fx1 - fx0 + 2;
  const long long height = fy1 - fy0 + 2;
  if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide ||
      width * height > kMaxBitmapPixels)
    return bitmap;
  if (fx0 - 1 < -kCoordinateLimit || fy1 + 1 >= kCoordinateLimit)
    return bitmap;
  bitmap.left = static_cast<int>(fx0 - 1);
  bitmap.top = static_cast<int>(fy1 + 1);
  bitmap.width = static_cast<int>(width);
  bitmap.height = static_cast<int>(height);
  bitmap.pixels.assign(static_cast<size_t>(width * height), 0);
  for (int row = 0; row < bitmap.height; ++row) {
    for (int j = 0; j < 4; ++j) {
      const double sy = static_cast<double>(bitmap.top) - row - 0.125 - 0.25 * j;
      const std::vector<Crossing> crossings = crossings_at(outline, sy);
      for (int column = 0; column < bitmap.width; ++column) {
        int count = 0;
        for (int i = 0; i < 4; ++i) {
          const double sx = static_cast<double>(bitmap.left) + column + 0.125 + 0.25 * i;
          count += sample_inside(crossings, sx) ? 1 : 0;
        }
        bitmap.pixels[static_cast<size_t>(row) * bitmap.width + column] +=
            static_cast<unsigned char>(count);
      }
    }
  }
  for (unsigned char& pixel : bitmap.pixels)
    pixel = static_cast<unsigned char>(pixel * 255 / 16);
  return bitmap;
}

std::string difference_from_reference(const GlyphBitmap& actual, const ReferenceBitmap& expected) {
  if (actual.left != expected.left || actual.top != expected.top ||
      actual.width != expected.width || actual.height != expected.height)
    return "frame differs: got left " + std::to_string(actual.left) + " top " +
           std::to_string(actual.top) + " " + std::to_string(actual.width) + "x" +
           std::to_string(actual.height) + ", reference left " + std::to_string(expected.left) +
           " top " + std::to_string(expected.top) + " " + std::to_string(expected.width) + "x" +
           std::to_string(expected.height);
  if (actual.pixels.size != expected.pixels.size())
    return "pixel count differs";
  for (size_t k = 0; k < expected.pixels.size(); ++k) {
    if (actual.pixels.data[k] != expected.pixels[k])
      return "pixel " + std::to_string(k) + " is " + std::to_string(actual.pixels.data[k]) +
             ", reference " + std::to_string(expected.pixels[k]);
  }
  return "";
}
