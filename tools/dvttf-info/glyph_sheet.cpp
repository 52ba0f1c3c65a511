#include "glyph_sheet.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/png_writer.h"
#include "font/backend.h"
#include "font/entry_points.h"
#include "font/font_handle.h"
#include "font/load_options.h"
#include "host/halt.h"

namespace dvttf_info {
namespace {

constexpr float kGlyphPixels = 32.0f;
constexpr int kColumns = 16;
constexpr int kCellWidth = 64;
constexpr int kLabelHeight = 14;
constexpr int kCellHeight = kLabelHeight + 48;
constexpr uint32_t kLastCodePoint = 0x10FFFF;

// Label digits, 3 x 5 pixels, one row per entry with its left pixel as bit 2.
struct LabelGlyph {
  char character;
  uint8_t rows[5];
};
constexpr LabelGlyph kLabelFont[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 7, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 1, 1}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'A', {2, 5, 7, 5, 5}}, {'B', {6, 5, 6, 5, 6}},
    {'C', {3, 4, 4, 4, 3}}, {'D', {6, 5, 5, 5, 6}}, {'E', {7, 4, 7, 4, 7}}, {'F', {7, 4, 7, 4, 4}},
    {'U', {5, 5, 5, 5, 7}}, {'+', {0, 2, 7, 2, 0}},
};
constexpr int kLabelScale = 2;

class Sheet {
public:
  Sheet(int width, int height)
      : width_(width), height_(height), rgba_(static_cast<size_t>(width) * height * 4, 255) {}

  // Darkens the pixel by `coverage` (0 to 255) toward `ink`.
  void blend(int x, int y, uint8_t coverage, uint8_t ink) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
      return;
    }
    uint8_t* pixel = &rgba_[(static_cast<size_t>(y) * width_ + x) * 4];
    for (int channel = 0; channel < 3; ++channel) {
      pixel[channel] =
          static_cast<uint8_t>((pixel[channel] * (255 - coverage) + ink * coverage) / 255);
    }
  }

  void label(int x, int y, const std::string& text) {
    for (char character : text) {
      for (const LabelGlyph& glyph : kLabelFont) {
        if (glyph.character == character) {
          draw_label_glyph(x, y, glyph);
        }
      }
      x += 4 * kLabelScale;
    }
  }

  // The cell's frame: one light line along its right and bottom edges.
  void frame(int x, int y) {
    for (int i = 0; i < kCellWidth; ++i) {
      blend(x + i, y + kCellHeight - 1, 40, 0);
    }
    for (int i = 0; i < kCellHeight; ++i) {
      blend(x + kCellWidth - 1, y + i, 40, 0);
    }
  }

  // A glyph with its origin at (x, baseline), clipped to the cell at (cell_x, cell_y).
  void glyph(const GlyphBitmap& bitmap, int x, int baseline, int cell_x, int cell_y) {
    for (int row = 0; row < bitmap.height; ++row) {
      const int y = baseline - bitmap.top + row;
      for (int column = 0; column < bitmap.width; ++column) {
        const int at = x + bitmap.left + column;
        if (at >= cell_x && at < cell_x + kCellWidth - 1 && y >= cell_y + kLabelHeight &&
            y < cell_y + kCellHeight - 1) {
          blend(at, y, bitmap.pixels.data[row * bitmap.width + column], 0);
        }
      }
    }
  }

  std::string write(const std::string& path) const {
    return dvttf_tools::write_png(path, width_, height_, rgba_.data());
  }

private:
  void draw_label_glyph(int x, int y, const LabelGlyph& glyph) {
    for (int row = 0; row < 5 * kLabelScale; ++row) {
      for (int column = 0; column < 3 * kLabelScale; ++column) {
        if (glyph.rows[row / kLabelScale] >> (2 - column / kLabelScale) & 1) {
          blend(x + column, y + row, 160, 0);
        }
      }
    }
  }

  int width_;
  int height_;
  std::vector<uint8_t> rgba_;
};

std::vector<uint32_t> mapped_codepoints(const dvttf_tools::InspectedFont& font) {
  std::vector<uint32_t> mapped;
  // Type 1 code points name glyphs through the encoding (0-255) unless the font is read in
  // full, where glyph names reach any code point.
  const bool by_encoding =
      font.type1() != nullptr && (font.options() & load_option::kCompleteType1) == 0;
  const uint32_t last = by_encoding ? 255 : kLastCodePoint;
  for (uint32_t codepoint = 0; codepoint <= last; ++codepoint) {
    if (font.maps(codepoint)) {
      mapped.push_back(codepoint);
    }
  }
  return mapped;
}

// The file of page `page` (0 first): `path` itself, then "sheet-2.png", "sheet-3.png"...
std::string page_path(const std::string& path, size_t page) {
  if (page == 0) {
    return path;
  }
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  const size_t stem_end =
      dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : path.size();
  return path.substr(0, stem_end) + "-" + std::to_string(page + 1) + path.substr(stem_end);
}

// Draws `codepoints` on one page and writes it to `path`.
std::string write_page(FontBackend& backend, const std::vector<uint32_t>& codepoints,
                       const std::string& path) {
  const int rows = static_cast<int>((codepoints.size() + kColumns - 1) / kColumns);
  Sheet sheet(kColumns * kCellWidth, rows * kCellHeight);
  const double scale = kGlyphPixels / backend.units_per_em();
  const int baseline = static_cast<int>(backend.ascent() * scale * 0.9);
  for (size_t i = 0; i < codepoints.size(); ++i) {
    const int cell_x = static_cast<int>(i % kColumns) * kCellWidth;
    const int cell_y = static_cast<int>(i / kColumns) * kCellHeight;
    char label[16];
    std::snprintf(label, sizeof label, "U+%04X", codepoints[i]);
    sheet.label(cell_x + 3, cell_y + 2, label);
    sheet.frame(cell_x, cell_y);
    const GlyphBitmap bitmap = backend.rasterize(codepoints[i], scale);
    const int x = cell_x + (kCellWidth - static_cast<int>(bitmap.advance)) / 2;
    sheet.glyph(bitmap, x, cell_y + kLabelHeight + 4 + baseline, cell_x, cell_y);
  }
  return sheet.write(path);
}

} // namespace

std::string write_glyph_sheet(const dvttf_tools::InspectedFont& font, const std::string& path,
                              size_t max_glyphs, SheetResult* result) {
  std::vector<uint32_t> codepoints = mapped_codepoints(font);
  result->mapped = codepoints.size();
  codepoints.resize(std::min(codepoints.size(), max_glyphs));
  if (codepoints.empty()) {
    return "";
  }
  const size_t per_page = static_cast<size_t>(kMaxSheetRows / kCellHeight) * kColumns;
  std::string error;
  const bool halted = dvhost::halts([&] {
    auto* handle = static_cast<FontHandle*>(dv::dv_ttf_font_load_memory_ex(
        font.bytes().data(), font.bytes().size(), kGlyphPixels, font.options()));
    if (handle == nullptr) {
      error = "the library refused the font when drawing the sheet";
      return;
    }
    for (size_t first = 0; first < codepoints.size() && error.empty(); first += per_page) {
      const std::vector<uint32_t> page(
          codepoints.begin() + static_cast<ptrdiff_t>(first),
          codepoints.begin() +
              static_cast<ptrdiff_t>(std::min(codepoints.size(), first + per_page)));
      const std::string page_file = page_path(path, result->pages.size());
      error = write_page(*handle->backend, page, page_file);
      result->pages.push_back(page_file);
    }
    dv::dv_ttf_font_free(handle);
  });
  if (halted) {
    return "the library halted drawing the sheet (out of memory?)";
  }
  result->drawn = codepoints.size();
  return error;
}

} // namespace dvttf_info
