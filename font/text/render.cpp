#include "font/text/render.h"

#include "font/text/render_refusal.h"

#include "font/render_limits.h"
#include "font/text/canvas.h"
#include "font/text/codepoint_set.h"
#include "font/text/glyph_keys.h"
#include "font/text/layout.h"
#include "font/text/utf8.h"

using namespace render_limits;

namespace {

// The text's length in bytes, read no further than one byte past `most`.
uint64_t bounded_length(const char* text, uint64_t most) {
  uint64_t length = 0;
  while (length <= most && text[length] != 0) {
    ++length;
  }
  return length;
}

// The distinct code points of the text that the cache does not hold yet: the entries
// this render can add, each at most once. Stops counting past `most`.
uint64_t new_codepoints(const FontHandle& font, const char* text, uint64_t text_bytes,
                        uint64_t most) {
  CodepointSet seen(text_bytes < most + 1 ? text_bytes : most + 1);
  uint64_t count = 0;
  TextLine line = first_line(text);
  const bool pairs = font.backend->draws_variation_sequences();
  for (;;) {
    for_each_glyph_key(line, pairs, [&](unsigned int codepoint) {
      if (font.bitmap_cache.find(codepoint) == font.bitmap_cache.end()) {
        count += seen.insert(codepoint);
      }
      return count <= most;
    });
    if (count > most || line.is_last()) {
      return count;
    }
    line = next_line(line);
  }
}

// What the checks before the layout measure of a text.
struct TextFigures {
  uint64_t length = 0;
  LineMetrics metrics{};
  unsigned long line_count = 0;
  uint64_t new_glyphs = 0;
};

// The checks every render makes before its layout, in their order: the text's length and
// line count before anything is decoded or rasterized, the new code points before the
// glyphs' room is reserved. `count_all` counts the length and the new code points to the
// end instead of stopping one past their limits.
RenderRefusal::Early check_before_layout(const FontHandle& font, const char* text, bool count_all,
                                         TextFigures& figures) {
  figures.length = bounded_length(text, count_all ? UINT64_MAX - 1 : kMaxTextBytes);
  if (figures.length > kMaxTextBytes) {
    return RenderRefusal::Early::kTextBytes;
  }
  figures.metrics = line_metrics(font);
  figures.line_count = count_lines(text);
  // Every line is at least line_height tall (both below 2^31, so no overflow).
  if (figures.metrics.line_height * static_cast<int64_t>(figures.line_count) > kMaxImagePixels) {
    return RenderRefusal::Early::kLines;
  }
  figures.new_glyphs =
      new_codepoints(font, text, figures.length, count_all ? figures.length : kMaxNewGlyphs);
  if (figures.new_glyphs > kMaxNewGlyphs) {
    return RenderRefusal::Early::kNewGlyphs;
  }
  return RenderRefusal::Early::kNone;
}

// The budget of a layout: the render's limits, or, to explain a refusal, limits no
// real text reaches.
RenderBudget layout_budget(const TextFigures& figures, bool lifted) {
  return RenderBudget{
      lifted ? RenderRefusal::kMeasurablePixels : kMaxImagePixels,
      lifted ? GlyphBudget::unlimited() : GlyphBudget{kMaxNewGlyphPixels, kMaxRasterWork}, 1,
      figures.metrics.line_height * static_cast<int64_t>(figures.line_count - 1)};
}

// Lays out every line, stopping as soon as the image can no longer fit the budget's
// image pixels or a glyph the budget. With `boxes`, the lines are only measured (see
// layout_line).
bool layout_lines(FontHandle* font, const char* text, unsigned long line_count,
                  const LineMetrics& metrics, RenderBudget& budget, dv::vector<LineLayout>& layouts,
                  GlyphBoxes* boxes) {
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
// it guards is asked for (check_before_layout), and the image size after every glyph
// placed. A render (`boxes` null) rasterizes the new glyphs into the cache and keeps the
// placements in `layouts`; a measure keeps only the new glyphs' boxes, in `boxes`, and the
// line sizes.
bool lay_out_text(FontHandle* font, const char* text, dv::vector<LineLayout>& layouts,
                  GlyphBoxes* boxes, int32_t* width, int32_t* height) {
  TextFigures figures;
  if (check_before_layout(*font, text, false, figures) != RenderRefusal::Early::kNone) {
    return false;
  }
  if (boxes == nullptr) {
    font->bitmap_cache.reserve_growing(font->bitmap_cache.count() + figures.new_glyphs);
  } else {
    boxes->reserve(figures.new_glyphs);
  }
  RenderBudget budget = layout_budget(figures, false);
  return layout_lines(font, text, figures.line_count, figures.metrics, budget, layouts, boxes) &&
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

RenderRefusal explain_render_refusal(FontHandle* font, const char* text) {
  RenderRefusal refusal;
  if (text[0] == 0) {
    return refusal;
  }
  TextFigures figures;
  refusal.early = check_before_layout(*font, text, true, figures);
  refusal.text_bytes = figures.length;
  refusal.lines = figures.line_count;
  refusal.line_height = figures.metrics.line_height;
  refusal.new_glyphs = figures.new_glyphs;
  if (refusal.early != RenderRefusal::Early::kNone) {
    return refusal;
  }
  GlyphBoxes boxes;
  boxes.reserve(figures.new_glyphs);
  dv::vector<LineLayout> layouts;
  RenderBudget budget = layout_budget(figures, true);
  if (!layout_lines(font, text, figures.line_count, figures.metrics, budget, layouts, &boxes)) {
    refusal.glyph_past_its_limits = budget.glyphs.exhausted;
    refusal.beyond_measure = !budget.glyphs.exhausted;
    return refusal;
  }
  refusal.width = budget.widest;
  for (const LineLayout& layout : layouts) {
    refusal.height += layout.height;
  }
  const GlyphBudget unlimited = GlyphBudget::unlimited();
  refusal.glyph_pixels = unlimited.bitmap_pixels - budget.glyphs.bitmap_pixels;
  refusal.work = unlimited.work - budget.glyphs.work;
  refusal.image_too_large = refusal.width * refusal.height > kMaxImagePixels;
  refusal.too_many_glyph_pixels = refusal.glyph_pixels > kMaxNewGlyphPixels;
  refusal.too_much_work = refusal.work > kMaxRasterWork;
  return refusal;
}
