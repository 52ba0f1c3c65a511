#include "unit/font/freetype_peer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include FT_OUTLINE_H

#include "font/raster/curve_flattening.h"
#include "font/raster/rasterizer.h"

namespace ftpeer {

void InkBox::add(int x, int y) {
  if (empty) {
    x0 = x1 = x;
    y0 = y1 = y;
    empty = false;
    return;
  }
  x0 = std::min(x0, x);
  x1 = std::max(x1, x);
  y0 = std::min(y0, y);
  y1 = std::max(y1, y);
}

std::string describe(const InkBox& b) {
  if (b.empty)
    return "no ink";
  return "x " + std::to_string(b.x0) + ".." + std::to_string(b.x1) + " y " + std::to_string(b.y0) +
         ".." + std::to_string(b.y1);
}

bool within_pixels(const InkBox& a, const InkBox& b, int pixels) {
  if (a.empty || b.empty)
    return a.empty == b.empty;
  return std::abs(a.x0 - b.x0) <= pixels && std::abs(a.x1 - b.x1) <= pixels &&
         std::abs(a.y0 - b.y0) <= pixels && std::abs(a.y1 - b.y1) <= pixels;
}

int Coverage::at(int x, int y) const {
  const int column = x - left;
  const int row = top - 1 - y;
  if (column < 0 || row < 0 || column >= width || row >= height)
    return 0;
  return pixels[static_cast<size_t>(row) * width + column];
}

InkBox Coverage::ink() const {
  InkBox box;
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column)
      if (pixels[static_cast<size_t>(row) * width + column] != 0)
        box.add(left + column, top - 1 - row);
  return box;
}

Coverage coverage_of(const GlyphBitmap& g) {
  return {g.left, g.top, g.width, g.height,
          std::vector<unsigned char>(g.pixels.data, g.pixels.data + g.pixels.size)};
}

double relative_difference(const Coverage& a, const Coverage& b) {
  const int x0 = std::min(a.left, b.left), x1 = std::max(a.left + a.width, b.left + b.width);
  const int y0 = std::min(a.top - a.height, b.top - b.height), y1 = std::max(a.top, b.top);
  double difference = 0, reference = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      difference += std::abs(a.at(x, y) - b.at(x, y));
      reference += b.at(x, y);
    }
  }
  return reference > 0 ? difference / reference : 0.0;
}

Face::Face(const std::vector<unsigned char>& bytes, long face_index) {
  ok_ = FT_Init_FreeType(&library_) == 0 &&
        FT_New_Memory_Face(library_, bytes.data(), static_cast<FT_Long>(bytes.size()), face_index,
                           &face_) == 0 &&
        FT_Select_Charmap(face_, FT_ENCODING_UNICODE) == 0;
}

Face::~Face() {
  if (face_)
    FT_Done_Face(face_);
  if (library_)
    FT_Done_FreeType(library_);
}

unsigned Face::glyph_of(unsigned codepoint) const {
  return FT_Get_Char_Index(face_, codepoint);
}

bool Face::render(unsigned glyph, int pixel_size, Coverage& out) const {
  if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixel_size)) != 0 ||
      FT_Load_Glyph(face_, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
      FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) != 0)
    return false;
  const FT_Bitmap& b = face_->glyph->bitmap;
  out = Coverage{face_->glyph->bitmap_left,
                 face_->glyph->bitmap_top,
                 static_cast<int>(b.width),
                 static_cast<int>(b.rows),
                 {}};
  for (unsigned row = 0; row < b.rows; ++row)
    for (unsigned column = 0; column < b.width; ++column)
      out.pixels.push_back(b.buffer[static_cast<long>(row) * b.pitch + column]);
  return true;
}

namespace {

// The outline's font units, scaled to pixels by the library's arithmetic.
struct ScaledBuilder {
  OutlineBuilder builder;
  double scale;
  Point at(const FT_Vector* v) const { return {v->x * scale, v->y * scale}; }
};

int move_to(const FT_Vector* to, void* user) {
  auto* b = static_cast<ScaledBuilder*>(user);
  b->builder.move_to(b->at(to));
  return 0;
}

int line_to(const FT_Vector* to, void* user) {
  auto* b = static_cast<ScaledBuilder*>(user);
  b->builder.line_to(b->at(to));
  return 0;
}

int conic_to(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto* b = static_cast<ScaledBuilder*>(user);
  flatten_quadratic(b->builder, b->builder.current, b->at(control), b->at(to));
  return 0;
}

int cubic_to(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* b = static_cast<ScaledBuilder*>(user);
  flatten_cubic(b->builder, b->builder.current, b->at(c1), b->at(c2), b->at(to));
  return 0;
}

} // namespace

bool Face::render_outline_with_library(unsigned glyph, int pixel_size, Coverage& out) const {
  if (FT_Load_Glyph(face_, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
      face_->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
    return false;
  const FT_Outline_Funcs funcs{move_to, line_to, conic_to, cubic_to, 0, 0};
  ScaledBuilder scaled{OutlineBuilder(), static_cast<double>(pixel_size) / face_->units_per_EM};
  if (FT_Outline_Decompose(&face_->glyph->outline, &funcs, &scaled) != 0)
    return false;
  scaled.builder.close_contour();
  out = coverage_of(rasterize_outline(scaled.builder, 0.0));
  return true;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty())
    return 0.0;
  std::sort(values.begin(), values.end());
  const size_t rank = static_cast<size_t>(std::ceil(p / 100.0 * values.size()));
  return values[rank == 0 ? 0 : rank - 1];
}

} // namespace ftpeer
