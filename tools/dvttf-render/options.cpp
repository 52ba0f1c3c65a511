#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "font/render_limits.h"

namespace dvttf_render {
namespace {

bool parse_double(const std::string& text, double* value) {
  if (text.empty()) {
    return false;
  }
  char* end = nullptr;
  errno = 0;
  *value = std::strtod(text.c_str(), &end);
  return errno == 0 && *end == '\0' && std::isfinite(*value);
}

bool parse_component(const std::string& text, int* value) {
  double number = 0;
  if (!parse_double(text, &number) || number != std::floor(number) || number < 0 || number > 255) {
    return false;
  }
  *value = static_cast<int>(number);
  return true;
}

bool parse_color(const std::string& text, Options* options) {
  const size_t first = text.find(',');
  const size_t second = first == std::string::npos ? first : text.find(',', first + 1);
  if (second == std::string::npos || text.find(',', second + 1) != std::string::npos) {
    return false;
  }
  return parse_component(text.substr(0, first), &options->red) &&
         parse_component(text.substr(first + 1, second - first - 1), &options->green) &&
         parse_component(text.substr(second + 1), &options->blue);
}

std::string size_range() {
  return "1 to " + std::to_string(max_pixel_size());
}

std::string apply_size(const std::string& value, Options* options) {
  double number = 0;
  if (!parse_double(value, &number) || number < 1 || number > max_pixel_size()) {
    return "--size wants a pixel size from " + size_range() + ", not '" + value + "' (beyond " +
           std::to_string(max_pixel_size()) +
           " px even a character a quarter em wide on a line one em tall exceeds the image "
           "limit of " +
           std::to_string(render_limits::kMaxImagePixels) + " pixels)";
  }
  options->size = static_cast<float>(number);
  return "";
}

std::string apply_opacity(const std::string& value, Options* options) {
  double number = 0;
  if (!parse_double(value, &number) || number < 0 || number > 255) {
    return "--opacity wants a value from 0 to 255, not '" + value + "'";
  }
  options->opacity = number;
  return "";
}

std::string apply_face(const std::string& value, Options* options) {
  double number = 0;
  if (!parse_double(value, &number) || number != std::floor(number) || number < 0 ||
      number > 65535) {
    return "--face wants a face number from 0 to 65535, not '" + value + "'";
  }
  options->face = static_cast<unsigned int>(number);
  return "";
}

// A whole number of pixels from 0 to 1000000 (far beyond any image the render allows).
bool parse_pixels(const std::string& text, int* value) {
  double number = 0;
  if (!parse_double(text, &number) || number != std::floor(number) || number < 0 ||
      number > 1000000) {
    return false;
  }
  *value = static_cast<int>(number);
  return true;
}

std::string apply_width(const std::string& value, Options* options) {
  if (!parse_pixels(value, &options->width) || options->width == 0) {
    return "--width wants a line width from 1 to 1000000 px, not '" + value + "'";
  }
  return "";
}

std::string apply_line_gap(const std::string& value, Options* options) {
  if (!parse_pixels(value, &options->line_gap)) {
    return "--line-gap wants pixels from 0 to 1000000, not '" + value + "'";
  }
  return "";
}

// The values of DV_TTF_ALIGN_LEFT, _CENTRE and _RIGHT.
std::string apply_align(const std::string& value, Options* options) {
  const char* const names[] = {"left", "centre", "right"};
  for (int align = 0; align < 3; ++align) {
    if (value == names[align]) {
      options->align = align;
      return "";
    }
  }
  if (value == "center") {
    options->align = 1;
    return "";
  }
  return "--align wants left, centre or right, not '" + value + "'";
}

const std::string kFontHelp =
    "TrueType, OpenType (CFF), collection or Type 1 font (default: DejaVu Sans)";
const std::string kSizeHelp = "pixel size, " + size_range() + " (default 32)";

} // namespace

int max_pixel_size() {
  int side = 1;
  while (int64_t{side + 1} * (side + 1) <= render_limits::kMaxImagePixels) {
    ++side;
  }
  return 2 * side;
}

std::vector<dvttf_tools::OptionRow> option_table(Options* options) {
  auto set = [](std::string* field) {
    return [field](const std::string& value) {
      *field = value;
      return std::string();
    };
  };
  auto flag = [](bool* field, bool value = true) {
    return [field, value](const std::string&) {
      *field = value;
      return std::string();
    };
  };
  return {
      {"font", 'f', "FILE", kFontHelp.c_str(), set(&options->font)},
      {"size", 's', "PX", kSizeHelp.c_str(),
       [options](const std::string& value) { return apply_size(value, options); }},
      {"color", 'c', "R,G,B", "text colour, each 0 to 255 (default 0,0,0)",
       [options](const std::string& value) {
         return parse_color(value, options)
                    ? ""
                    : "--color wants R,G,B with each from 0 to 255, not '" + value + "'";
       }},
      {"opacity", 'a', "A", "0 (invisible) to 255 (opaque, default)",
       [options](const std::string& value) { return apply_opacity(value, options); }},
      {"output", 'o', "FILE", "PNG to write (default out.png; '-' for standard output)",
       set(&options->output)},
      {"kern", 0, nullptr, "pair kerning from the font's GPOS or kern table (default)",
       flag(&options->kern)},
      {"no-kern", 0, nullptr, "no kerning: each advance as the font gives it",
       flag(&options->kern, false)},
      {"hinting", 0, nullptr,
       "light hinting: edges on whole pixel rows, crisp at menu sizes (10-16 px)",
       flag(&options->hinting)},
      {"no-hinting", 0, nullptr, "no hinting: each outline drawn where it falls (default)",
       flag(&options->hinting, false)},
      {"face", 0, "N", "the face of a collection (default 0)",
       [options](const std::string& value) { return apply_face(value, options); }},
      {"standard", 0, nullptr,
       "the five standard font functions alone: TrueType and Type 1, no kerning",
       flag(&options->standard)},
      {"measure", 0, nullptr, "print WIDTHxHEIGHT and the first baseline's y; no PNG",
       flag(&options->measure)},
      {"fallback", 0, "FONT",
       "a font for the characters the fonts before it lack (repeatable, in order)",
       [options](const std::string& value) {
         options->fallbacks.push_back(value);
         return std::string();
       }},
      {"width", 0, "PX", "wrap lines to fit PX pixels (the image is at least that wide)",
       [options](const std::string& value) { return apply_width(value, options); }},
      {"align", 0, "WHERE", "left (default), centre or right: each line within the image",
       [options](const std::string& value) { return apply_align(value, options); }},
      {"line-gap", 0, "PX", "pixels added between lines (default 0)",
       [options](const std::string& value) { return apply_line_gap(value, options); }},
      {"ellipsis", 0, nullptr, "with --width: shorten a line that does not fit to end in '…'",
       flag(&options->ellipsis)},
      {"var", 0, "AXES",
       "a variable font's instance, e.g. wght=700,wdth=75 (other axes at their default)",
       set(&options->variation)},
      {"library", 0, "PATH", "the DovrelTTF artifact to load (ELF .so or Mach-O .dylib)",
       set(&options->library)},
      {"help", 'h', nullptr, "this text", flag(&options->help)},
      {"version", 0, nullptr, "the version", flag(&options->version)},
  };
}

bool wants_layout(const Options& options) {
  return !options.fallbacks.empty() || options.width != 0 || options.align != 0 ||
         options.line_gap != 0 || options.ellipsis;
}

ParseResult parse_options(const std::vector<std::string>& arguments) {
  Options options;
  const dvttf_tools::ParsedCommandLine parsed =
      dvttf_tools::parse_command_line(option_table(&options), arguments);
  if (!parsed.error.empty()) {
    return {std::nullopt, parsed.error};
  }
  if (options.help || options.version) {
    return {options, ""};
  }
  if (options.ellipsis && options.width == 0) {
    return {std::nullopt, "--ellipsis needs --width: without a width no line is too long"};
  }
  if (options.hinting && options.standard) {
    return {std::nullopt, "--hinting is an option of the extended loader, which --standard "
                          "leaves out"};
  }
  if (wants_layout(options) && options.standard) {
    return {std::nullopt, "--fallback, --width, --align, --line-gap and --ellipsis lay the text "
                          "out with the extended functions, which --standard leaves out"};
  }
  if (parsed.operands.size() > 1) {
    return {std::nullopt, "give the TEXT as one argument (quote it)"};
  }
  if (parsed.operands.size() == 1) {
    options.text = parsed.operands[0];
    if (options.text->empty()) {
      return {std::nullopt, "the TEXT is empty: there is nothing to draw"};
    }
  }
  return {options, ""};
}

std::string usage() {
  Options unused;
  return "usage: dvttf-render [OPTION]... [TEXT]\n"
         "Renders UTF-8 TEXT with DovrelTTF into an RGBA PNG; a newline in TEXT starts a new\n"
         "line (in a shell: $'one\\ntwo'). With TEXT '-', or none and standard input not a\n"
         "terminal, the text is read from standard input (one final newline is dropped).\n" +
         dvttf_tools::option_help(option_table(&unused)) +
         "Exit status: 0 written; 1 font, library, text or output unusable; 2 bad options.\n";
}

} // namespace dvttf_render
