// FreeType as an independent renderer for the real-font comparisons: a face's unhinted
// glyph coverage, ink boxes, and the per-glyph coverage difference between two bitmaps.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

#include "font/backend.h"

namespace ftpeer {

// Inclusive box of the pixels with coverage, in pixel coordinates relative to the glyph
// origin (x right, y up; a pixel is named by its lower-left corner).
struct InkBox {
  bool empty = true;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  void add(int x, int y);
};
std::string describe(const InkBox& box);
bool within_pixels(const InkBox& a, const InkBox& b, int pixels);

// A coverage bitmap in the glyph's frame, whoever produced it.
struct Coverage {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<unsigned char> pixels;
  int at(int x, int y) const;
  InkBox ink() const;
};
Coverage coverage_of(const GlyphBitmap& glyph);

// Sum over all pixels of |a - b| divided by the sum of b's coverage: the share of the
// reference glyph's ink that the other one misplaces. 0 when b has no ink.
double relative_difference(const Coverage& a, const Coverage& b);

class Face {
public:
  Face(const std::vector<unsigned char>& bytes, long face_index = 0);
  ~Face();
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
  bool ok() const { return ok_; }
  FT_Face face() const { return face_; }
  // The glyph of a code point through the face's Unicode map (0 when unmapped).
  unsigned glyph_of(unsigned codepoint) const;
  // The glyph rendered without hinting at `pixel_size` pixels per em.
  bool render(unsigned glyph, int pixel_size, Coverage& out) const;
  // FreeType's outline of the glyph in font units, scaled and drawn by the library's
  // flattening and rasterizer: what the library's rasterizer makes of FreeType's reading.
  bool render_outline_with_library(unsigned glyph, int pixel_size, Coverage& out) const;

private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  bool ok_ = false;
};

// The percentile `p` (0-100) of `values`, nearest rank; 0 for none.
double percentile(std::vector<double> values, double p);

} // namespace ftpeer
