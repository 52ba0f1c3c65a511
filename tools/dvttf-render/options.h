// Command line of dvttf-render: one table of options (common/command_line.h reads it
// with the GNU getopt_long conventions and prints it as the usage).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/command_line.h"

namespace dvttf_render {

inline constexpr const char* kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
// Where the PNG goes when the output is this name.
inline constexpr const char* kStandardStream = "-";

// The largest --size: at this size a character a quarter em wide on a line one em tall
// already fills the render's image limit (render_limits::kMaxImagePixels), so nothing
// larger can render.
int max_pixel_size();

struct Options {
  std::string font = kDefaultFont;
  std::string library; // empty: the artifact this tool was built with
  float size = 32.0f;
  int red = 0;
  int green = 0;
  int blue = 0;
  double opacity = 255.0;
  std::string output = "out.png";
  bool kern = true;      // load with pair kerning
  bool hinting = false;  // load with light hinting
  bool standard = false; // load with the standard loader: TrueType and Type 1 only
  unsigned int face = 0; // a collection's face
  bool measure = false;  // print the image's size and baseline instead of writing it
  // Laid-out text: fonts tried in order for characters the main font does not map, the
  // wrapping width (0: lines break at newlines only), the alignment (the library's
  // DV_TTF_ALIGN_* value), pixels between lines and shortening lines with an ellipsis.
  std::vector<std::string> fallbacks;
  int width = 0;
  int align = 0;
  int line_gap = 0;
  bool ellipsis = false;
  // A variable font's instance, "wght=700,wdth=75"; empty: the default instance.
  std::string variation;
  // The TEXT operand; absent or "-" means standard input.
  std::optional<std::string> text;
  bool help = false;
  bool version = false;
};

// True when any option of the laid-out text is given: the tool then renders through the
// fallback list and the layout record instead of the plain render.
bool wants_layout(const Options& options);

// The options, or an error message naming what is wrong.
struct ParseResult {
  std::optional<Options> options;
  std::string error;
};

// The options' table, each row applying its value to `options`.
std::vector<dvttf_tools::OptionRow> option_table(Options* options);

// `arguments` excludes the program name.
ParseResult parse_options(const std::vector<std::string>& arguments);

std::string usage();

} // namespace dvttf_render
