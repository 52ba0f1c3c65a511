#include "blank_image.h"

namespace dvttf_render {
namespace {

bool is_white_space(const std::string& text) {
  return text.find_first_not_of(" \t\n\r\f\v") == std::string::npos;
}

} // namespace

bool is_invisible(int width, int height, const uint8_t* rgba) {
  const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  for (size_t i = 0; i < pixels; ++i) {
    if (rgba[i * 4 + 3] != 0) {
      return false;
    }
  }
  return true;
}

std::string blank_image_reason(const Options& options, const dvttf_tools::InspectedFont& font) {
  if (options.opacity < 1) {
    return "an opacity below 1 leaves every pixel transparent";
  }
  if (is_white_space(*options.text)) {
    return "the text is only white space";
  }
  if (font.declares_standard_encoding()) {
    return options.font +
           " names its glyphs through StandardEncoding, which the library does not map, so "
           "every character draws .notdef; give the font explicit /Encoding entries (as "
           "tools/samples/encode-type1.sh does)";
  }
  if (font.type1() != nullptr) {
    return "the font's /Encoding does not name these characters, or their charstrings use "
           "what the library draws blank (curves, hint replacement, dotsection, vstem3/hstem3, "
           "seac, div); dvttf-info " +
           options.font + " counts the straight-line charstrings";
  }
  return "the font has no outline for these characters (blank glyphs, or an empty .notdef "
         "for unmapped ones); dvttf-info " +
         options.font + " shows its character map";
}

} // namespace dvttf_render
