// The composition step of the peers the library is measured against: glyph coverage
// placed on an 8-bit canvas line by line, then expanded to RGBA, the same work the
// library's text rendering does after rasterizing.
#pragma once
#include <cstdint>
#include <vector>

namespace bench {

class GlyphCanvas {
public:
  // Room for `lines` lines of `columns` characters at `pixel_size`.
  GlyphCanvas(int pixel_size, int columns, int lines);

  // Combines a coverage bitmap whose top-left pixel lands at (x, y); ink outside the
  // canvas is dropped. `pitch` is the distance between rows in bytes.
  void compose(const unsigned char* coverage, int width, int height, int pitch, int x, int y);

  // Black text at full opacity, RGBA, rows top first.
  std::vector<uint8_t> to_rgba() const;

  int line_height() const { return line_height_; }

private:
  int width_;
  int height_;
  int line_height_;
  std::vector<unsigned char> coverage_;
};

} // namespace bench
