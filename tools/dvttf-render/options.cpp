#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

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

// Applies `name value`; an error message when the value is not acceptable.
std::string apply(const std::string& name, const std::string& value, Options* options) {
  double number = 0;
  if (name == "--font") {
    options->font = value;
  } else if (name == "--output") {
    options->output = value;
  } else if (name == "--size") {
    if (!parse_double(value, &number) || number < 1 || number > 10000) {
      return "--size wants a pixel size from 1 to 10000, not '" + value + "'";
    }
    options->size = static_cast<float>(number);
  } else if (name == "--color") {
    if (!parse_color(value, options)) {
      return "--color wants R,G,B with each from 0 to 255, not '" + value + "'";
    }
  } else if (name == "--opacity") {
    if (!parse_double(value, &number) || number < 0 || number > 255) {
      return "--opacity wants a value from 0 to 255, not '" + value + "'";
    }
    options->opacity = number;
  } else {
    return "unknown option '" + name + "'";
  }
  return "";
}

bool takes_value(const std::string& name) {
  return name == "--font" || name == "--size" || name == "--color" || name == "--opacity" ||
         name == "--output";
}

} // namespace

ParseResult parse_options(const std::vector<std::string>& arguments) {
  Options options;
  std::vector<std::string> texts;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "-h" || argument == "--help") {
      options.help = true;
      return {options, ""};
    }
    if (argument == "--") {
      texts.insert(texts.end(), arguments.begin() + i + 1, arguments.end());
      break;
    }
    if (argument.size() > 1 && argument[0] == '-' && argument[1] == '-') {
      if (!takes_value(argument)) {
        return {std::nullopt, "unknown option '" + argument + "'"};
      }
      if (i + 1 == arguments.size()) {
        return {std::nullopt, argument + " needs a value"};
      }
      const std::string error = apply(argument, arguments[++i], &options);
      if (!error.empty()) {
        return {std::nullopt, error};
      }
      continue;
    }
    texts.push_back(argument);
  }
  if (texts.size() != 1) {
    return {std::nullopt,
            texts.empty() ? "no TEXT given" : "give the TEXT as one argument (quote it)"};
  }
  if (texts[0].empty()) {
    return {std::nullopt, "the TEXT is empty: there is nothing to draw"};
  }
  options.text = texts[0];
  return {options, ""};
}

std::string usage() {
  return "usage: dvttf-render [--font FILE] [--size PX] [--color R,G,B] [--opacity 0-255]\n"
         "                    [--output out.png] TEXT\n"
         "Renders UTF-8 TEXT with DovrelTTF into an RGBA PNG; a newline in TEXT starts a new\n"
         "line (in a shell: $'one\\ntwo').\n"
         "  --font FILE      TrueType or Type 1 (PFB/PFA) font; default " +
         std::string(kDefaultFont) +
         "\n"
         "  --size PX        pixel size, 1 to 10000 (default 32)\n"
         "  --color R,G,B    text colour, each 0 to 255 (default 0,0,0)\n"
         "  --opacity A      0 (invisible) to 255 (opaque, default)\n"
         "  --output FILE    PNG to write (default out.png)\n";
}

} // namespace dvttf_render
