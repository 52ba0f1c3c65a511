#include "glyph_canvas.h"

#include <algorithm>

namespace bench {

GlyphCanvas::GlyphCanvas(int pixel_size, int columns, int lines)
    : width_(pixel_size * columns), line_height_(pixel_size * 6 / 5 + 1) {
  height_ = line_height_ * lines;
  coverage_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
}

void GlyphCanvas::compose(const unsigned char* coverage, int width, int height, int pitch, int x,
                          int y) {
  const int x0 = std::max(0, -x);
  const int x1 = std::min(width, width_ - x);
  for (int row = std::max(0, -y); row < height && row + y < height_; ++row) {
    const unsigned char* source = coverage + static_cast<long>(row) * pitch;
    unsigned char* target = &coverage_[static_cast<size_t>(row + y) * width_ + x];
    for (int column = x0; column < x1; ++column) {
      const unsigned value = source[column];
      target[column] = static_cast<unsigned char>(value + ((255 - value) * target[column]) / 255);
    }
  }
}

std::vector<uint8_t> GlyphCanvas::to_rgba() const {
  std::vector<uint8_t> rgba(coverage_.size() * 4, 0);
  for (size_t i = 0; i < coverage_.size(); ++i)
    rgba[i * 4 + 3] = coverage_[i];
  return rgba;
}

} // namespace bench
