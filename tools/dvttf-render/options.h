// Command line of dvttf-render.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dvttf_render {

inline constexpr const char* kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct Options {
  std::string font = kDefaultFont;
  float size = 32.0f;
  int red = 0;
  int green = 0;
  int blue = 0;
  double opacity = 255.0;
  std::string output = "out.png";
  std::string text;
  bool help = false;
};

// The options, or an error message naming what is wrong.
struct ParseResult {
  std::optional<Options> options;
  std::string error;
};

ParseResult parse_options(const std::vector<std::string>& arguments);

std::string usage();

} // namespace dvttf_render
