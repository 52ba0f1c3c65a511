#include "options.h"

#include <getopt.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace dvttf_render {
namespace {

enum LongOnly { kLibrary = 256, kVersion };

constexpr option kLongOptions[] = {
    {"font", required_argument, nullptr, 'f'},
    {"size", required_argument, nullptr, 's'},
    {"color", required_argument, nullptr, 'c'},
    {"opacity", required_argument, nullptr, 'a'},
    {"output", required_argument, nullptr, 'o'},
    {"library", required_argument, nullptr, kLibrary},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};
// The leading ':' makes getopt_long report a missing value as ':' instead of '?', and
// the leading '+' is absent on purpose: operands and options may come in any order.
constexpr const char* kShortOptions = ":f:s:c:a:o:h";

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

// Applies option `code` with `value`; an error message when the value is not acceptable.
std::string apply(int code, const std::string& value, Options* options) {
  double number = 0;
  switch (code) {
  case 'f':
    options->font = value;
    return "";
  case 'o':
    options->output = value;
    return "";
  case kLibrary:
    options->library = value;
    return "";
  case 's':
    if (!parse_double(value, &number) || number < 1 || number > 10000) {
      return "--size wants a pixel size from 1 to 10000, not '" + value + "'";
    }
    options->size = static_cast<float>(number);
    return "";
  case 'c':
    if (!parse_color(value, options)) {
      return "--color wants R,G,B with each from 0 to 255, not '" + value + "'";
    }
    return "";
  case 'a':
    if (!parse_double(value, &number) || number < 0 || number > 255) {
      return "--opacity wants a value from 0 to 255, not '" + value + "'";
    }
    options->opacity = number;
    return "";
  case 'h':
    options->help = true;
    return "";
  case kVersion:
    options->version = true;
    return "";
  }
  return "internal error: unhandled option";
}

// The long options that `written` (a "--name" or "--name=value" argument) abbreviates.
std::vector<std::string> long_option_matches(const std::string& written) {
  if (written.rfind("--", 0) != 0) {
    return {};
  }
  const std::string name = written.substr(2, written.find('=') - 2);
  std::vector<std::string> matches;
  for (const option& candidate : kLongOptions) {
    if (candidate.name == nullptr) {
      break;
    }
    if (std::strncmp(candidate.name, name.c_str(), name.size()) == 0) {
      matches.push_back(std::string("--") + candidate.name);
    }
  }
  return matches;
}

// Why getopt_long refused `written` ('?'), from what it left in optopt: 0 for an unknown
// or ambiguous long option, the code of a flag given a value ("--help=x"), else the
// unknown short option itself.
std::string refusal(const std::string& written, int short_option) {
  if (short_option == 'h' || short_option == kVersion) {
    return "option '" + written.substr(0, written.find('=')) + "' takes no value";
  }
  if (short_option != 0) {
    return std::string("unknown option '-") + static_cast<char>(short_option) + "'";
  }
  const std::vector<std::string> matches = long_option_matches(written);
  if (matches.size() > 1) {
    std::string names;
    for (const std::string& match : matches) {
      names += (names.empty() ? "" : ", ") + match;
    }
    return "ambiguous option '" + written + "' (" + names + ")";
  }
  return "unknown option '" + written.substr(0, written.find('=')) + "'";
}

} // namespace

ParseResult parse_options(const std::vector<std::string>& arguments) {
  // getopt_long permutes argv in place: hand it copies it may reorder.
  std::vector<std::string> storage = {"dvttf-render"};
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : storage) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  const int argc = static_cast<int>(storage.size());

  Options options;
  opterr = 0;
  optind = 0; // 0 makes glibc start a fresh scan
  for (;;) {
    const int code = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr);
    if (code == -1) {
      break;
    }
    // The argument getopt_long was reading: optind has already stepped past it.
    const std::string written = argv[optind - 1];
    if (code == '?') {
      return {std::nullopt, refusal(written, optopt)};
    }
    if (code == ':') {
      const std::string name = written.rfind("--", 0) == 0
                                   ? written.substr(0, written.find('='))
                                   : std::string("-") + static_cast<char>(optopt);
      return {std::nullopt, name + " needs a value"};
    }
    if (const std::string error = apply(code, optarg != nullptr ? optarg : "", &options);
        !error.empty()) {
      return {std::nullopt, error};
    }
  }
  if (options.help || options.version) {
    return {options, ""};
  }
  const int operands = argc - optind;
  if (operands > 1) {
    return {std::nullopt, "give the TEXT as one argument (quote it)"};
  }
  if (operands == 1) {
    options.text = argv[optind];
    if (options.text->empty()) {
      return {std::nullopt, "the TEXT is empty: there is nothing to draw"};
    }
  }
  return {options, ""};
}

std::string usage() {
  return "usage: dvttf-render [OPTION]... [TEXT]\n"
         "Renders UTF-8 TEXT with DovrelTTF into an RGBA PNG; a newline in TEXT starts a new\n"
         "line (in a shell: $'one\\ntwo'). With TEXT '-', or none and standard input not a\n"
         "terminal, the text is read from standard input (one final newline is dropped).\n"
         "  -f, --font FILE      TrueType or Type 1 (PFB/PFA) font; default " +
         std::string(kDefaultFont) +
         "\n"
         "  -s, --size PX        pixel size, 1 to 10000 (default 32)\n"
         "  -c, --color R,G,B    text colour, each 0 to 255 (default 0,0,0)\n"
         "  -a, --opacity A      0 (invisible) to 255 (opaque, default)\n"
         "  -o, --output FILE    PNG to write (default out.png; '-' for standard output)\n"
         "      --library PATH   the DovrelTTF artifact to load (ELF .so or Mach-O .dylib)\n"
         "  -h, --help           this text\n"
         "      --version        the version\n"
         "Exit status: 0 written; 1 font, library, text or output unusable; 2 bad options.\n";
}

} // namespace dvttf_render
