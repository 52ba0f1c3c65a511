// Explaining an image without ink: the library returns it like any other, so the tool
// says on stderr why nothing may have been drawn.
#pragma once

#include <cstdint>
#include <string>

#include "common/inspected_font.h"
#include "options.h"

namespace dvttf_render {

// True when every alpha byte of the width x height RGBA pixels is 0.
bool is_invisible(int width, int height, const uint8_t* rgba);

// The likeliest reason `options` drew nothing with `font`, from the opacity, the text and
// the font.
std::string blank_image_reason(const Options& options, const dvttf_tools::InspectedFont& font);

} // namespace dvttf_render
