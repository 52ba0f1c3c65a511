// dvttf-info: what the library reads from a font file, so a person can see why a text
// would come out blank before rendering it. Runs the hosted core library (dvcore) inside
// the boot-environment stand-in.
#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/font_file.h"
#include "font/truetype/font.h"
#include "font/type1/font.h"
#include "host/halt.h"
#include "host/stand_in.h"
#include "truetype_facts.h"
#include "type1_facts.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "usage: dvttf-info FONT\n"
    "Prints what DovrelTTF reads from FONT: its format (TrueType, Type 1 PFB or PFA), units\n"
    "per em, ascent, descent, line gap and glyph count; for TrueType the character map\n"
    "subtables chosen and how many code points they map; for Type 1 the encoding entries and\n"
    "how many charstrings the straight-line interpreter draws.\n"
    "  -h, --help     this text\n"
    "      --version  the version\n"
    "Exit status: 0 printed; 1 file missing or a font the library refuses; 2 bad options.\n";

int fail(const std::string& message, int code = kExitFailure) {
  std::fprintf(stderr, "dvttf-info: %s\n", message.c_str());
  if (code == kExitUsage) {
    std::fputs(kUsage, stderr);
  }
  return code;
}

enum class Format { kTrueType, kPfb, kPfa, kOpenTypeCff, kCollection, kUnknown };

// The format by the first bytes, as the library picks its backend.
Format detect(const std::string& bytes) {
  const std::string head = bytes.substr(0, 4);
  if (head == std::string("\0\1\0\0", 4) || head == "true") {
    return Format::kTrueType;
  }
  if (head == "OTTO") {
    return Format::kOpenTypeCff;
  }
  if (head == "ttcf") {
    return Format::kCollection;
  }
  if (!bytes.empty() && static_cast<unsigned char>(bytes[0]) == 0x80) {
    return Format::kPfb;
  }
  if (!bytes.empty() && bytes[0] == '%') {
    return Format::kPfa;
  }
  return Format::kUnknown;
}

// Why the library refuses a file of `format` outright, or empty when it tries to load it.
std::string refusal(Format format) {
  switch (format) {
  case Format::kOpenTypeCff:
    return "an OpenType font with CFF outlines (OTTO), which the library does not read";
  case Format::kCollection:
    return "a font collection (ttcf), which the library does not read";
  case Format::kUnknown:
    return "not a TrueType (glyf) or Type 1 font the library accepts";
  default:
    return "";
  }
}

dv::vector<unsigned char> library_bytes(const std::string& bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  return dv::vector<unsigned char>(data, data + bytes.size());
}

// Loads `bytes` with the backend's loader and prints its facts; false when the library
// refuses the font.
bool print_facts(const std::string& path, Format format, const std::string& bytes) {
  if (format == Format::kTrueType) {
    auto font = std::make_unique<TrueTypeFont>();
    if (!load_truetype_font(*font, library_bytes(bytes))) {
      return false;
    }
    std::printf("file: %s\n", path.c_str());
    dvttf_info::print_truetype_facts(*font, stdout);
    return true;
  }
  auto font = std::make_unique<Type1Font>();
  if (!load_type1_font(*font, library_bytes(bytes))) {
    return false;
  }
  std::printf("file: %s\n", path.c_str());
  std::printf("format: Type 1 %s\n", format == Format::kPfb ? "PFB" : "PFA");
  const bool standard = bytes.find("/Encoding StandardEncoding") != std::string::npos;
  dvttf_info::print_type1_facts(*font, standard, stdout);
  return true;
}

// A PFA-looking program whose encrypted part is raw bytes instead of hexadecimal digits.
bool has_binary_eexec(const std::string& bytes) {
  size_t position = bytes.find("eexec");
  if (position == std::string::npos) {
    return false;
  }
  position = bytes.find_first_not_of(" \t\r\n", position + 5);
  const std::string start = bytes.substr(std::min(position, bytes.size()), 4);
  return start.size() < 4 || start.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos;
}

// Why the loader refused a font of a format it accepts.
std::string load_failure(Format format, const std::string& bytes) {
  if (format == Format::kTrueType) {
    return "the library refuses it as a TrueType font (a table it needs is missing or "
           "malformed)";
  }
  if (format == Format::kPfa && has_binary_eexec(bytes)) {
    return "its eexec part is binary (a .t1 program), which the library does not read; "
           "t1binary turns it into a PFB, t1ascii into a PFA";
  }
  return "the library refuses it as a Type 1 font (no charstrings found)";
}

int inspect(const std::string& path) {
  if (const std::string problem = dvttf_tools::font_file_problem(path); !problem.empty()) {
    return fail(problem);
  }
  std::ifstream file(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (!file.good() && !file.eof()) {
    return fail("cannot read " + path + ": " + std::strerror(errno));
  }
  const Format format = detect(bytes);
  if (const std::string reason = refusal(format); !reason.empty()) {
    return fail("cannot load font " + path + ": " + reason);
  }
  dvhost::install_stand_in();
  bool loaded = false;
  if (dvhost::halts([&] { loaded = print_facts(path, format, bytes); })) {
    return fail("the library halted reading " + path + " (out of memory?)");
  }
  if (!loaded) {
    return fail("cannot load font " + path + ": " + load_failure(format, bytes));
  }
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  enum { kVersion = 256 };
  const option options[] = {{"help", no_argument, nullptr, 'h'},
                            {"version", no_argument, nullptr, kVersion},
                            {nullptr, 0, nullptr, 0}};
  opterr = 0;
  for (;;) {
    const int code = getopt_long(argc, argv, "h", options, nullptr);
    if (code == -1) {
      break;
    }
    if (code == 'h') {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (code == kVersion) {
      std::printf("dvttf-info (DovrelTTF) %s\n", DVTTF_VERSION);
      return 0;
    }
    return fail(std::string("unknown option '") + argv[optind - 1] + "'", kExitUsage);
  }
  if (argc - optind != 1) {
    return fail(argc == optind ? "no FONT given" : "give one FONT", kExitUsage);
  }
  return inspect(argv[optind]);
}
