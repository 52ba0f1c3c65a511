#include "font/text/render.h"

#include "font/text/canvas.h"
#include "font/text/codepoint_set.h"
#include "font/text/layout.h"
#include "font/render_limits.h"
#include "font/text/utf8.h"

using namespace render_limits;

namespace {

// The text's length in bytes, read no further than one byte past kMaxTextBytes.
uint64_t bounded_length(const char* text) {
  uint64_t length = 0;
  while (length <= kMaxTextBytes && text[length] != 0) {
    ++length;
  }
  return length;
}

// The distinct code points of the text that the cache does not hold yet: the entries
// this render can add, each at most once. Stops counting past kMaxNewGlyphs.
uint64_t new_codepoints(const FontHandle& font, const char* text, uint64_t text_bytes) {
  const uint64_t most = text_bytes < kMaxNewGlyphs + 1 ? text_bytes : kMaxNewGlyphs + 1;
  CodepointSet seen(most);
  uint64_t count = 0;
  TextLine line = first_line(text);
  for (;;) {
    for_each_codepoint(line, [&](unsigned int codepoint) {
      if (font.bitmap_cache.find(codepoint) == font.bitmap_cache.end()) {
        count += seen.insert(codepoint);
      }
      return count <= kMaxNewGlyphs;
    });
    if (count > kMaxNewGlyphs || line.is_last()) {
      return count;
    }
    line = next_line(line);
  }
}

// Lays out every line, stopping as soon as the image can no longer fit kMaxImagePixels.
// With `boxes`, the lines are only measured (see layout_line).
bool layout_lines(FontHandle* font, const char* text, unsigned long line_count,
                  const LineMetrics& metrics, dv::vector<LineLayout>& layouts, GlyphBoxes* boxes) {
  RenderBudget budget{kMaxImagePixels, GlyphBudget{kMaxNewGlyphPixels, kMaxRasterWork}, 1,
                      metrics.line_height * static_cast<int64_t>(line_count - 1)};
  layouts.reserve(line_count);
  TextLine line = first_line(text);
  for (;;) {
    LineLayout& layout = layouts.emplace_back();
    if (!layout_line(font, line, metrics, budget, layout, boxes)) {
      return false;
    }
    budget.widest = layout.width > budget.widest ? layout.width : budget.widest;
    budget.other_lines_height += layout.height - metrics.line_height;
    if (line.is_last()) {
      return true;
    }
    line = next_line(line);
  }
}

// The canvas size of the laid-out lines, or false when it exceeds kMaxImagePixels.
bool canvas_size(const dv::vector<LineLayout>& layouts, int32_t* width, int32_t* height) {
  int64_t widest = 1;
  int64_t total_height = 0;
  for (const LineLayout& layout : layouts) {
    widest = layout.width > widest ? layout.width : widest;
    total_height += layout.height;
    if (total_height > kMaxImagePixels) {
      return false;
    }
  }
  total_height = total_height < 1 ? 1 : total_height;
  if (widest * total_height > kMaxImagePixels) {
    return false;
  }
  *width = static_cast<int32_t>(widest);
  *height = static_cast<int32_t>(total_height);
  return true;
}

// The image size of a text that is not empty, after the checks every render makes: false
// exactly where dv_ttf_font_render gives null. Every limit is checked before the memory
// it guards is asked for: the text's length and line count before anything is decoded or
// rasterized, the new code points before the glyphs' room is reserved, and the image size
// after every glyph placed. A render (`boxes` null) rasterizes the new glyphs into the
// cache and keeps the placements in `layouts`; a measure keeps only the new glyphs' boxes,
// in `boxes`, and the line sizes.
bool lay_out_text(FontHandle* font, const char* text, dv::vector<LineLayout>& layouts,
                  GlyphBoxes* boxes, int32_t* width, int32_t* height) {
  const uint64_t length = bounded_length(text);
  if (length > kMaxTextBytes) {
    return false;
  }
  const LineMetrics metrics = line_metrics(*font);
  const unsigned long line_count = count_lines(text);
  // Every line is at least line_height tall (both below 2^31, so no overflow).
  if (metrics.line_height * static_cast<int64_t>(line_count) > kMaxImagePixels) {
    return false;
  }
  const uint64_t new_glyphs = new_codepoints(*font, text, length);
  if (new_glyphs > kMaxNewGlyphs) {
    return false;
  }
  if (boxes == nullptr) {
    font->bitmap_cache.reserve_growing(font->bitmap_cache.count() + new_glyphs);
  } else {
    boxes->reserve(new_glyphs);
  }
  return layout_lines(font, text, line_count, metrics, layouts, boxes) &&
         canvas_size(layouts, width, height);
}

bool usable(const FontHandle* font, const char* text) {
  return font != nullptr && text != nullptr && font->backend != nullptr;
}

} // namespace

TextImage* render_text(FontHandle* font, const char* text, int red, int green, int blue,
                       double opacity) {
  if (!usable(font, text)) {
    return nullptr;
  }
  if (text[0] == 0) {
    return make_empty_image();
  }
  int32_t width = 0;
  int32_t height = 0;
  dv::vector<unsigned char> canvas;
  {
    dv::vector<LineLayout> layouts;
    if (!lay_out_text(font, text, layouts, nullptr, &width, &height)) {
      return nullptr;
    }
    if (layouts.size == 1 && layouts.data[0].glyphs.size == 1) {
      return make_text_image(
          width, height,
          glyph_to_rgba(layouts.data[0].glyphs.data[0], width, height, red, green, blue, opacity));
    }
    canvas = compose_lines(layouts, width, height);
  }
  return make_text_image(width, height, expand_to_rgba(canvas, red, green, blue, opacity));
}

int measure_text(FontHandle* font, const char* text, int* width, int* height, int* baseline) {
  if (!usable(font, text)) {
    return 0;
  }
  int32_t image_width = 0;
  int32_t image_height = 0;
  int32_t first_baseline = 0;
  if (text[0] != 0) {
    dv::vector<LineLayout> layouts;
    GlyphBoxes boxes;
    if (!lay_out_text(font, text, layouts, &boxes, &image_width, &image_height)) {
      return 0;
    }
    first_baseline = layouts.data[0].baseline;
  }
  if (width != nullptr) {
    *width = image_width;
  }
  if (height != nullptr) {
    *height = image_height;
  }
  if (baseline != nullptr) {
    *baseline = first_baseline;
  }
  return 1;
}
