#include "refused_render.h"

#include <cstdint>
#include <vector>

#include "font/entry_points.h"
#include "font/font_handle.h"
#include "font/text/layout.h"
#include "font/render_limits.h"
#include "font/text/utf8.h"
#include "host/halt.h"
#include "host/host_heap.h"
#include "text_codepoints.h"

namespace dvttf_render {
namespace {

using namespace render_limits;

// What the text would take with every limit lifted.
struct Measure {
  int64_t width = 1;
  int64_t height = 0;
  int64_t glyph_pixels = 0; // the new bitmaps
  uint64_t raster_work = 0;
};

// The largest image the measure lays out: sides and area within the int32 range, so that
// the layout's width times height cannot overflow.
constexpr int64_t kMeasurablePixels = INT32_MAX;

// Lays out every line as dv_ttf_font_render does, with the image limit raised to
// kMeasurablePixels and no limit on the new glyphs.
bool measure_layout(FontHandle* font, const std::string& text, const LineMetrics& metrics,
                    unsigned long line_count, Measure* measure) {
  const GlyphBudget unlimited = GlyphBudget::unlimited();
  RenderBudget budget{kMeasurablePixels, unlimited, 1,
                      metrics.line_height * static_cast<int64_t>(line_count - 1)};
  TextLine line = first_line(text.c_str());
  for (;;) {
    LineLayout layout;
    if (!layout_line(font, line, metrics, budget, layout)) {
      return false;
    }
    budget.widest = layout.width > budget.widest ? layout.width : budget.widest;
    budget.other_lines_height += layout.height - metrics.line_height;
    measure->height += layout.height;
    if (line.is_last()) {
      break;
    }
    line = next_line(line);
  }
  measure->width = budget.widest;
  measure->glyph_pixels = unlimited.bitmap_pixels - budget.glyphs.bitmap_pixels;
  measure->raster_work = unlimited.work - budget.glyphs.work;
  return true;
}

std::string number(int64_t value) {
  return std::to_string(value);
}

// The limits the measured layout goes beyond, joined by "; ".
std::string exceeded_limits(const Measure& measure) {
  std::vector<std::string> reasons;
  const int64_t pixels = measure.width * measure.height;
  if (pixels > kMaxImagePixels) {
    reasons.push_back("the image would be " + number(measure.width) + "x" + number(measure.height) +
                      " (" + number(pixels) + " pixels); a render draws at most " +
                      number(kMaxImagePixels) + " pixels");
  }
  if (measure.glyph_pixels > kMaxNewGlyphPixels) {
    reasons.push_back("its glyphs' bitmaps would take " + number(measure.glyph_pixels) +
                      " pixels; a render rasterizes at most " + number(kMaxNewGlyphPixels));
  }
  if (measure.raster_work > kMaxRasterWork) {
    reasons.push_back("rasterizing its glyphs would take " + std::to_string(measure.raster_work) +
                      " units of work; a render spends at most " + std::to_string(kMaxRasterWork));
  }
  std::string joined;
  for (const std::string& reason : reasons) {
    joined += (joined.empty() ? "" : "; ") + reason;
  }
  return joined;
}

// The checks dv_ttf_font_render makes before its layout, in its order; empty when the
// text passes them.
std::string early_limit(const FontHandle& font, const std::string& text, LineMetrics* metrics,
                        unsigned long* line_count) {
  if (text.size() > kMaxTextBytes) {
    return "the text is " + number(static_cast<int64_t>(text.size())) +
           " bytes; a render takes at most " + number(kMaxTextBytes) + " (draw it in pieces)";
  }
  *metrics = line_metrics(font);
  *line_count = count_lines(text.c_str());
  const int64_t least_height = metrics->line_height * static_cast<int64_t>(*line_count);
  if (least_height > kMaxImagePixels) {
    return "its " + number(static_cast<int64_t>(*line_count)) + " lines of " +
           number(metrics->line_height) + " px make an image at least " + number(least_height) +
           " pixels tall; a render draws at most " + number(kMaxImagePixels) + " pixels";
  }
  const size_t distinct = distinct_codepoints(text).size();
  if (distinct > kMaxNewGlyphs) {
    return "the text has " + number(static_cast<int64_t>(distinct)) +
           " different characters; a render rasterizes at most " + number(kMaxNewGlyphs) +
           " new glyphs (draw it in pieces)";
  }
  return "";
}

} // namespace

std::string refused_render_reason(const dvttf_tools::InspectedFont& font, float pixel_size,
                                  const std::string& text) {
  std::string reason;
  const bool halted = dvhost::halts([&] {
    auto* handle = static_cast<FontHandle*>(dv::dv_ttf_font_load_memory_ex(
        font.bytes().data(), font.bytes().size(), pixel_size, font.options()));
    if (handle == nullptr) {
      reason = "the font did not load a second time";
      return;
    }
    LineMetrics metrics{};
    unsigned long line_count = 0;
    reason = early_limit(*handle, text, &metrics, &line_count);
    if (reason.empty()) {
      // The layout points into the cache, so the cache must not move while it grows.
      handle->bitmap_cache.reserve(distinct_codepoints(text).size());
      Measure measure;
      reason = measure_layout(handle, text, metrics, line_count, &measure)
                   ? exceeded_limits(measure)
                   : "the image would be more than " + number(kMeasurablePixels) +
                         " pixels; a render draws at most " + number(kMaxImagePixels) + " pixels";
    }
    dv::dv_ttf_font_free(handle);
  });
  if (halted) {
    return "it goes beyond the render's limits, and measuring by how much needs more than the " +
           number(static_cast<int64_t>(dvhost::host_heap::default_heap_size() >> 20)) +
           " MiB the stand-in has";
  }
  return reason.empty() ? "no limit of the render was exceeded (the library ran out of memory?)"
                        : reason;
}

} // namespace dvttf_render
