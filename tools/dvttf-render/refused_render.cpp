#include "refused_render.h"

#include <cstdint>
#include <vector>

#include "font/entry_points.h"
#include "font/font_handle.h"
#include "font/render_limits.h"
#include "font/text/render_refusal.h"
#include "host/halt.h"
#include "host/host_heap.h"

namespace dvttf_render {
namespace {

using namespace render_limits;

std::string number(int64_t value) {
  return std::to_string(value);
}

// The limit a check before the layout found passed.
std::string early_limit(const RenderRefusal& refusal) {
  switch (refusal.early) {
  case RenderRefusal::Early::kTextBytes:
    return "the text is " + number(static_cast<int64_t>(refusal.text_bytes)) +
           " bytes; a render takes at most " + number(kMaxTextBytes) + " (draw it in pieces)";
  case RenderRefusal::Early::kLines:
    return "its " + number(static_cast<int64_t>(refusal.lines)) + " lines of " +
           number(refusal.line_height) + " px make an image at least " +
           number(refusal.line_height * static_cast<int64_t>(refusal.lines)) +
           " pixels tall; a render draws at most " + number(kMaxImagePixels) + " pixels";
  case RenderRefusal::Early::kNewGlyphs:
    return "the text has " + number(static_cast<int64_t>(refusal.new_glyphs)) +
           " different characters; a render rasterizes at most " + number(kMaxNewGlyphs) +
           " new glyphs (draw it in pieces)";
  case RenderRefusal::Early::kNone:
    break;
  }
  return "";
}

// The limits the whole layout goes beyond, joined by "; ".
std::string layout_limits(const RenderRefusal& refusal) {
  if (refusal.glyph_past_its_limits) {
    return "one of its glyphs goes beyond the limits of a single glyph";
  }
  if (refusal.beyond_measure) {
    return "the image would be more than " + number(RenderRefusal::kMeasurablePixels) +
           " pixels; a render draws at most " + number(kMaxImagePixels) + " pixels";
  }
  std::vector<std::string> reasons;
  if (refusal.image_too_large) {
    reasons.push_back("the image would be " + number(refusal.width) + "x" + number(refusal.height) +
                      " (" + number(refusal.width * refusal.height) +
                      " pixels); a render draws at most " + number(kMaxImagePixels) + " pixels");
  }
  if (refusal.too_many_glyph_pixels) {
    reasons.push_back("its glyphs' bitmaps would take " + number(refusal.glyph_pixels) +
                      " pixels; a render rasterizes at most " + number(kMaxNewGlyphPixels));
  }
  if (refusal.too_much_work) {
    reasons.push_back("rasterizing its glyphs would take " + std::to_string(refusal.work) +
                      " units of work; a render spends at most " + std::to_string(kMaxRasterWork));
  }
  std::string joined;
  for (const std::string& reason : reasons) {
    joined += (joined.empty() ? "" : "; ") + reason;
  }
  return joined;
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
    const RenderRefusal refusal = explain_render_refusal(handle, text.c_str());
    reason = refusal.early != RenderRefusal::Early::kNone ? early_limit(refusal)
                                                          : layout_limits(refusal);
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
