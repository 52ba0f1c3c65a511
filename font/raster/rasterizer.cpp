#include "font/raster/rasterizer.h"

#include "runtime/math.h"

namespace {

constexpr int kSamplesPerAxis = 4;
constexpr int kSamplesPerPixel = kSamplesPerAxis * kSamplesPerAxis;
// floor and ceil are exact only inside the 32-bit integer range.
constexpr double kCoordinateLimit = 2147483648.0;

struct PixelGrid {
  long long left;
  long long top;
  long long width;
  long long height;
};

bool within_coordinate_range(double value) {
  return value > -kCoordinateLimit && value < kCoordinateLimit;
}

// The pixel frame around the outline's bounds, or false when there is none to draw (no
// bounds within the 32-bit range, or a bitmap beyond the size limits).
bool grid_for_bounds(const OutlineBuilder& outline, PixelGrid& grid) {
  if (!within_coordinate_range(outline.min_x) || !within_coordinate_range(outline.max_x) ||
      !within_coordinate_range(outline.min_y) || !within_coordinate_range(outline.max_y))
    return false;
  const auto fx0 = static_cast<long long>(dv::floor(outline.min_x));
  const auto fx1 = static_cast<long long>(dv::ceil(outline.max_x));
  const auto fy0 = static_cast<long long>(dv::floor(outline.min_y));
  const auto fy1 = static_cast<long long>(dv::ceil(outline.max_y));
  grid.width = fx1 - fx0 + 2;
  grid.height = fy1 - fy0 + 2;
  grid.left = fx0 - 1;
  grid.top = fy1 + 1;
  if (grid.width <= 0 || grid.height <= 0)
    return false;
  if (grid.width > kMaxBitmapSide || grid.height > kMaxBitmapSide ||
      grid.width * grid.height > kMaxBitmapPixels)
    return false;
  return grid.left >= -kCoordinateLimit && grid.top < kCoordinateLimit;
}

bool within_work_limit(const PixelGrid& grid, size_t segments) {
  const auto pixels = static_cast<unsigned long long>(grid.width * grid.height);
  return segments <= kMaxRasterWork / pixels;
}

// Sum of the edge directions crossing the sample's row strictly to its right. Each edge
// covers its lower end and not its upper end; horizontal edges do not count.
int winding_number(const OutlineBuilder& outline, double sx, double sy) {
  int winding = 0;
  const LineSegment* segments = outline.segments.data;
  for (unsigned long k = 0; k < outline.segments.size; ++k) {
    const double x0 = segments[k].p0.x;
    const double y0 = segments[k].p0.y;
    const double x1 = segments[k].p1.x;
    const double y1 = segments[k].p1.y;
    if (y0 == y1)
      continue;
    int direction = 0;
    if (y0 < y1) {
      if (y0 <= sy && sy < y1)
        direction = 1;
    } else if (y1 <= sy && sy < y0) {
      direction = -1;
    }
    if (direction == 0)
      continue;
    const double crossing = x0 + (x1 - x0) * (sy - y0) / (y1 - y0);
    if (crossing > sx)
      winding += direction;
  }
  return winding;
}

unsigned char pixel_coverage(const OutlineBuilder& outline, double pixel_left, double pixel_top) {
  int inside = 0;
  for (int j = 0; j < kSamplesPerAxis; ++j) {
    const double sy = pixel_top - 0.125 - 0.25 * j;
    for (int i = 0; i < kSamplesPerAxis; ++i) {
      const double sx = pixel_left + 0.125 + 0.25 * i;
      if (winding_number(outline, sx, sy) != 0)
        ++inside;
    }
  }
  return static_cast<unsigned char>(inside * 255 / kSamplesPerPixel);
}

} // namespace

GlyphBitmap rasterize_outline(const OutlineBuilder& outline, double advance) {
  GlyphBitmap bitmap;
  bitmap.advance = advance;
  PixelGrid grid;
  if (outline.segments.size == 0 || !outline.has_bounds || !grid_for_bounds(outline, grid) ||
      !within_work_limit(grid, outline.segments.size))
    return bitmap;
  bitmap.left = static_cast<int>(grid.left);
  bitmap.top = static_cast<int>(grid.top);
  bitmap.width = static_cast<int>(grid.width);
  bitmap.height = static_cast<int>(grid.height);
  bitmap.pixels.resize(static_cast<unsigned long>(grid.width * grid.height));
  unsigned char* out = bitmap.pixels.data;
  for (long long row = 0; row < grid.height; ++row) {
    const double pixel_top = static_cast<double>(grid.top - row);
    for (long long column = 0; column < grid.width; ++column) {
      const double pixel_left = static_cast<double>(grid.left + column);
      *out++ = pixel_coverage(outline, pixel_left, pixel_top);
    }
  }
  return bitmap;
}
