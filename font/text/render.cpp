#include "abi/allocation_scope.h"
#include "font/font_api.h"
#include "font/text/canvas.h"
#include "font/text/codepoint_set.h"
#include "font/text/image.h"
#include "font/text/layout.h"
#include "font/text/render_limits.h"
#include "font/text/utf8.h"
#include "runtime/export.h"

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
bool layout_lines(FontHandle* font, const char* text, unsigned long line_count,
                  const LineMetrics& metrics, dv::vector<LineLayout>& layouts) {
  RenderBudget budget{kMaxImagePixels, GlyphBudget{kMaxNewGlyphPixels, kMaxRasterWork}, 1,
                      metrics.line_height * static_cast<int64_t>(line_count - 1)};
  layouts.reserve(line_count);
  TextLine line = first_line(text);
  for (;;) {
    LineLayout& layout = layouts.emplace_back();
    if (!layout_line(font, line, metrics, budget, layout)) {
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

// Every limit is checked before the memory it guards is asked for: the text's length and
// line count before anything is decoded or rasterized, the new code points before the
// cache is reserved, and the image size after every glyph placed.
TextImage* render_text(void* handle, const char* text, int red, int green, int blue,
                       double opacity) {
  auto* font = static_cast<FontHandle*>(handle);
  if (font == nullptr || text == nullptr || font->backend == nullptr) {
    return nullptr;
  }
  if (text[0] == 0) {
    return make_empty_image();
  }
  const uint64_t length = bounded_length(text);
  if (length > kMaxTextBytes) {
    return nullptr;
  }
  const LineMetrics metrics = line_metrics(*font);
  const unsigned long line_count = count_lines(text);
  // Every line is at least line_height tall (both below 2^31, so no overflow).
  if (metrics.line_height * static_cast<int64_t>(line_count) > kMaxImagePixels) {
    return nullptr;
  }
  const uint64_t new_glyphs = new_codepoints(*font, text, length);
  if (new_glyphs > kMaxNewGlyphs) {
    return nullptr;
  }
  font->bitmap_cache.reserve_growing(font->bitmap_cache.count() + new_glyphs);
  int32_t width = 0;
  int32_t height = 0;
  dv::vector<unsigned char> canvas;
  {
    dv::vector<LineLayout> layouts;
    if (!layout_lines(font, text, line_count, metrics, layouts) ||
        !canvas_size(layouts, &width, &height)) {
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

} // namespace

namespace dv {

// In an allocation scope (abi/allocation_scope.h): a render the heap cannot hold gives
// null. The glyphs it cached before that are complete and stay; the handle is unchanged
// otherwise.
DV_FUNCTION_AS(TextImage*, dv_ttf_font_render, "_Z18dv_ttf_font_renderPvPKciiid",
               (void* handle, const char* text, int red, int green, int blue, double opacity)) {
  return null_on_allocation_failure(
      [&] { return render_text(handle, text, red, green, blue, opacity); });
}

} // namespace dv
