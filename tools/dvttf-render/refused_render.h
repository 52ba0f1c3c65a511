// Why dv_ttf_font_render gave null: the render answers only with null, so the tool asks
// the library's own text stage (dvcore, font/text/render_refusal.h) which limit the text
// passes and the sizes the render would have had, and words that.
#pragma once

#include <string>

#include "common/inspected_font.h"

namespace dvttf_render {

// The limit (or limits) `text` at `pixel_size` in `font` goes beyond, with the figures:
// "the image would be 3690x4074 (15,033,060 pixels); a render draws at most ...". The
// font must have loaded; the stand-in must be installed.
std::string refused_render_reason(const dvttf_tools::InspectedFont& font, float pixel_size,
                                  const std::string& text);

} // namespace dvttf_render
