#include "support/text_image_reference.h"

#include <algorithm>
#include <cmath>

namespace textref {
namespace {

int round_metric(double value, int rounding) {
  return static_cast<int>(rounding == 1 ? std::round(value) : std::ceil(value));
}

struct Placed {
  const Glyph* glyph;
  int x;
  int y;
};

struct Line {
  int width = 0;
  int height = 0;
  std::vector<Placed> placed;
};

Line lay_out(const std::vector<unsigned int>& codepoints, const LineMetrics& metrics,
             const std::function<const Glyph&(unsigned int)>& glyph_of) {
  Line line;
  double pen = 0.0;
  bool inked = false;
  int min_x = 0, min_y = 0, max_x = 0, max_y = 0;
  for (unsigned int codepoint : codepoints) {
    const Glyph& glyph = glyph_of(codepoint);
    const int x = static_cast<int>(std::floor(pen)) + glyph.left;
    const int y = metrics.baseline - glyph.top;
    line.placed.push_back({&glyph, x, y});
    if (glyph.width > 0 && glyph.height > 0) {
      min_x = inked ? std::min(min_x, x) : x;
      min_y = inked ? std::min(min_y, y) : y;
      max_x = inked ? std::max(max_x, x + glyph.width) : x + glyph.width;
      max_y = inked ? std::max(max_y, y + glyph.height) : y + glyph.height;
      inked = true;
    }
    pen += glyph.advance;
  }
  const int advance_width = std::max(1, static_cast<int>(std::ceil(pen)));
  const int shift_x = std::max(0, -min_x);
  const int shift_y = std::max(0, -min_y);
  line.width = std::max(advance_width, max_x) + shift_x;
  line.height = std::max(metrics.line_height, max_y) + shift_y;
  if (line.height == 0) {
    line.height = 1;
  }
  for (Placed& placed : line.placed) {
    placed.x += shift_x;
    placed.y += shift_y;
  }
  return line;
}

std::vector<std::vector<unsigned int>> split(const std::vector<unsigned int>& codepoints) {
  std::vector<std::vector<unsigned int>> lines(1);
  for (unsigned int codepoint : codepoints) {
    if (codepoint == 10) {
      lines.emplace_back();
    } else if (codepoint != 13) {
      lines.back().push_back(codepoint);
    }
  }
  return lines;
}

} // namespace

LineMetrics line_metrics(double scale, double ascent, double descent, double line_gap,
                         int rounding) {
  LineMetrics metrics;
  metrics.baseline = std::max(1, round_metric(ascent * scale, rounding));
  metrics.line_height = std::max(1, round_metric((ascent + descent + line_gap) * scale, rounding));
  return metrics;
}

Image render(const std::vector<unsigned int>& codepoints, const LineMetrics& metrics,
             const std::function<const Glyph&(unsigned int)>& glyph_of, uint8_t red, uint8_t green,
             uint8_t blue, int alpha_scale) {
  std::vector<Line> lines;
  Image image;
  image.width = 1;
  for (const auto& codepoint_line : split(codepoints)) {
    lines.push_back(lay_out(codepoint_line, metrics, glyph_of));
    image.width = std::max(image.width, lines.back().width);
    image.height += lines.back().height;
  }
  image.height = std::max(image.height, 1);
  std::vector<uint8_t> canvas(static_cast<size_t>(image.width) * image.height, 0);
  int top = 0;
  for (const Line& line : lines) {
    for (const Placed& placed : line.placed) {
      const Glyph& glyph = *placed.glyph;
      for (int r = 0; r < glyph.height; ++r) {
        for (int c = 0; c < glyph.width; ++c) {
          const int row = top + placed.y + r;
          const int column = placed.x + c;
          const unsigned v = glyph.coverage[static_cast<size_t>(r) * glyph.width + c];
          if (row < 0 || row >= image.height || column < 0 || column >= image.width || v == 0) {
            continue;
          }
          uint8_t& d = canvas[static_cast<size_t>(row) * image.width + column];
          d = static_cast<uint8_t>(v + ((255 - v) * d) / 255);
        }
      }
    }
    top += line.height;
  }
  for (uint8_t coverage : canvas) {
    image.rgba.insert(image.rgba.end(),
                      {red, green, blue, static_cast<uint8_t>(coverage * alpha_scale / 255)});
  }
  return image;
}

} // namespace textref
