// An independent model of the text renderer's layout and composition, for comparing the
// library's images against: given each code point's glyph bitmap and the font's line
// metrics, it places, composes and colours exactly as the renderer is meant to.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace textref {

struct Glyph {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  double advance = 0.0;
  std::vector<uint8_t> coverage; // width * height, top row first
};

struct LineMetrics {
  int baseline = 1;    // rows from a line's top edge to its baseline
  int line_height = 1; // rows of a line without ink outside it
};

// Scaled metrics from font units: rounded to nearest (halves away from zero) when
// `rounding` is 1, up otherwise; each at least 1.
LineMetrics line_metrics(double scale, double ascent, double descent, double line_gap,
                         int rounding);

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};

// The RGBA image of `codepoints` (already decoded; 10 breaks lines, 13 is dropped).
Image render(const std::vector<unsigned int>& codepoints, const LineMetrics& metrics,
             const std::function<const Glyph&(unsigned int)>& glyph_of, uint8_t red, uint8_t green,
             uint8_t blue, int alpha_scale);

} // namespace textref
