// Command line of dvttf-render, read with the GNU getopt_long conventions: short and long
// forms, `--opt=value` or `--opt value`, options anywhere, `--` ending the options.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dvttf_render {

inline constexpr const char* kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
// Where the PNG goes when the output is this name.
inline constexpr const char* kStandardStream = "-";

struct Options {
  std::string font = kDefaultFont;
  std::string library; // empty: the artifact this tool was built with
  float size = 32.0f;
  int red = 0;
  int green = 0;
  int blue = 0;
  double opacity = 255.0;
  std::string output = "out.png";
  // The TEXT operand; absent or "-" means standard input.
  std::optional<std::string> text;
  bool help = false;
  bool version = false;
};

// The options, or an error message naming what is wrong.
struct ParseResult {
  std::optional<Options> options;
  std::string error;
};

// `arguments` excludes the program name.
ParseResult parse_options(const std::vector<std::string>& arguments);

std::string usage();

} // namespace dvttf_render
