// The laid-out render and measure: a text through the handle's font chain, wrapped,
// shortened and aligned as the layout record says.
#include "abi/allocation_scope.h"
#include "font/text/canvas.h"
#include "font/text/image.h"
#include "font/text/laid_out_text.h"
#include "runtime/export.h"

namespace {

// The lines as the canvas composes them: each glyph moved by its line's alignment, and
// each line but the last followed by the gap.
dv::vector<LineLayout> canvas_lines(const TextScratch& scratch, int32_t gap) {
  dv::vector<LineLayout> layouts;
  layouts.reserve(scratch.lines.size);
  for (const LaidLine& line : scratch.lines) {
    LineLayout& layout = layouts.emplace_back();
    const bool last = &line == scratch.lines.data + scratch.lines.size - 1;
    layout.width = line.width;
    layout.height = line.height + (last ? 0 : gap);
    layout.baseline = line.baseline;
    layout.glyphs.reserve(line.glyph_end - line.first_glyph);
    for (uint32_t i = line.first_glyph; i < line.glyph_end; ++i) {
      PlacedGlyph glyph = scratch.placed.data[i];
      glyph.x += line.x;
      layout.glyphs.push_back(glyph);
    }
  }
  return layouts;
}

TextImage* render_laid_out(void* handle, const char* text, const DvTtfLayout* record, int red,
                           int green, int blue, double opacity) {
  LaidOutText laid_out(handle, text, record);
  if (!laid_out.usable())
    return nullptr;
  if (text[0] == 0)
    return make_empty_image();
  if (!laid_out.lay_out(nullptr))
    return nullptr;
  const LaidText& laid = laid_out.laid();
  dv::vector<unsigned char> canvas;
  {
    const dv::vector<LineLayout> lines = canvas_lines(laid_out.scratch(), laid_out.line_gap());
    canvas = compose_lines(lines, laid.width, laid.height);
  }
  return make_text_image(laid.width, laid.height,
                         expand_to_rgba(canvas, red, green, blue, opacity));
}

int measure_laid_out(void* handle, const char* text, const DvTtfLayout* record, int* width,
                     int* height, int* baseline) {
  LaidOutText laid_out(handle, text, record);
  if (!laid_out.usable())
    return 0;
  LaidText laid;
  if (text[0] != 0) {
    GlyphBoxes boxes;
    if (!laid_out.lay_out(&boxes))
      return 0;
    laid = laid_out.laid();
  }
  if (width != nullptr)
    *width = laid.width;
  if (height != nullptr)
    *height = laid.height;
  if (baseline != nullptr)
    *baseline = laid.baseline;
  return 1;
}

} // namespace

namespace dv {

DV_FUNCTION_AS(TextImage*, dv_ttf_font_render_layout,
               "_Z25dv_ttf_font_render_layoutPvPKcPK11DvTtfLayoutiiid",
               (void* handle, const char* text, const DvTtfLayout* layout, int red, int green,
                int blue, double opacity)) {
  return null_on_allocation_failure(
      [&] { return render_laid_out(handle, text, layout, red, green, blue, opacity); });
}

DV_FUNCTION_AS(int, dv_ttf_font_measure_layout,
               "_Z26dv_ttf_font_measure_layoutPvPKcPK11DvTtfLayoutPiS5_S5_",
               (void* handle, const char* text, const DvTtfLayout* layout, int* width, int* height,
                int* baseline)) {
  return null_on_allocation_failure(
      [&] { return measure_laid_out(handle, text, layout, width, height, baseline); });
}

} // namespace dv
