#include "font/font_api.h"
#include "font/text/canvas.h"
#include "font/text/image.h"
#include "font/text/layout.h"
#include "font/text/utf8.h"
#include "runtime/export.h"

namespace {

// The largest image drawn, in pixels (64 MiB of RGBA). Larger texts and absurd pixel
// sizes give no image rather than an allocation the machine cannot satisfy.
constexpr int64_t kMaxImagePixels = int64_t{1} << 24;

// Room in the cache for every code point of the text, so that the bitmaps the layouts
// point at stay in place while the cache grows.
void reserve_cache(FontHandle* handle, const dv::vector<CodepointLine>& lines) {
  unsigned long total = handle->bitmap_cache.count();
  for (const CodepointLine& line : lines) {
    total += line.size;
  }
  handle->bitmap_cache.reserve(total);
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

} // namespace

namespace dv {

DV_FUNCTION_AS(TextImage*, dv_ttf_font_render, "_Z18dv_ttf_font_renderPvPKciiid",
               (void* handle, const char* text, int red, int green, int blue, double opacity)) {
  auto* font = static_cast<FontHandle*>(handle);
  if (font == nullptr || text == nullptr || font->backend == nullptr) {
    return nullptr;
  }
  if (text[0] == 0) {
    return make_empty_image();
  }
  dv::vector<LineLayout> layouts;
  {
    const dv::vector<CodepointLine> lines = split_lines(decode_utf8(text));
    reserve_cache(font, lines);
    layouts.reserve(lines.size);
    for (const CodepointLine& line : lines) {
      layouts.emplace_back(layout_line(font, line));
    }
  }
  int32_t width = 0;
  int32_t height = 0;
  if (!canvas_size(layouts, &width, &height)) {
    return nullptr;
  }
  const dv::vector<unsigned char> canvas = compose_lines(layouts, width, height);
  return make_text_image(width, height, expand_to_rgba(canvas, red, green, blue, opacity));
}

} // namespace dv
