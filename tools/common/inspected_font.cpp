#include "inspected_font.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "common/font_file.h"
#include "font/truetype/cmap.h"
#include "font/type1/glyph.h"
#include "host/halt.h"

namespace dvttf_tools {
namespace {

// Why the library refuses a file of `format` outright, or empty when it tries to load it.
std::string refusal(FontFormat format) {
  switch (format) {
  case FontFormat::kOpenTypeCff:
    return "an OpenType font with CFF outlines (OTTO), which the library does not read";
  case FontFormat::kCollection:
    return "a font collection (ttcf), which the library does not read";
  case FontFormat::kUnknown:
    return "not a TrueType (glyf) or Type 1 font the library accepts";
  default:
    return "";
  }
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
std::string load_failure(FontFormat format, const std::string& bytes) {
  if (format == FontFormat::kTrueType) {
    return "the library refuses it as a TrueType font (a table it needs is missing or "
           "malformed)";
  }
  if (format == FontFormat::kPfa && has_binary_eexec(bytes)) {
    return "its eexec part is binary (a .t1 program), which the library does not read; "
           "t1binary turns it into a PFB, t1ascii into a PFA";
  }
  return "the library refuses it as a Type 1 font (no charstrings found)";
}

dv::vector<unsigned char> library_bytes(const std::string& bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  return dv::vector<unsigned char>(data, data + bytes.size());
}

} // namespace

FontFormat detect_format(const std::string& bytes) {
  const std::string head = bytes.substr(0, 4);
  if (head == std::string("\0\1\0\0", 4) || head == "true") {
    return FontFormat::kTrueType;
  }
  if (head == "OTTO") {
    return FontFormat::kOpenTypeCff;
  }
  if (head == "ttcf") {
    return FontFormat::kCollection;
  }
  if (!bytes.empty() && static_cast<unsigned char>(bytes[0]) == 0x80) {
    return FontFormat::kPfb;
  }
  if (!bytes.empty() && bytes[0] == '%') {
    return FontFormat::kPfa;
  }
  return FontFormat::kUnknown;
}

const char* format_name(FontFormat format) {
  switch (format) {
  case FontFormat::kTrueType:
    return "TrueType";
  case FontFormat::kPfb:
    return "Type 1 PFB";
  case FontFormat::kPfa:
    return "Type 1 PFA";
  case FontFormat::kOpenTypeCff:
    return "OpenType CFF";
  case FontFormat::kCollection:
    return "font collection";
  case FontFormat::kUnknown:
    break;
  }
  return "unknown";
}

InspectedFont::InspectedFont(std::string path) : path_(std::move(path)) {
  problem_ = load();
}

InspectedFont::~InspectedFont() = default;

std::string InspectedFont::load() {
  if (std::string problem = font_file_problem(path_); !problem.empty()) {
    return problem;
  }
  std::ifstream file(path_, std::ios::binary);
  bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (!file.good() && !file.eof()) {
    return "cannot read " + path_ + ": " + std::strerror(errno);
  }
  format_ = detect_format(bytes_);
  if (const std::string reason = refusal(format_); !reason.empty()) {
    return "cannot load font " + path_ + ": " + reason;
  }
  bool loaded = false;
  const bool halted = dvhost::halts([&] {
    if (format_ == FontFormat::kTrueType) {
      truetype_ = std::make_unique<TrueTypeFont>();
      loaded = load_truetype_font(*truetype_, library_bytes(bytes_));
    } else {
      type1_ = std::make_unique<Type1Font>();
      loaded = load_type1_font(*type1_, library_bytes(bytes_));
    }
  });
  if (halted) {
    // The abandoned loader left its font half-built: drop it without running the library.
    (void)truetype_.release();
    (void)type1_.release();
    return "the library halted reading " + path_ + " (out of memory?)";
  }
  if (!loaded) {
    truetype_.reset();
    type1_.reset();
    return "cannot load font " + path_ + ": " + load_failure(format_, bytes_);
  }
  return "";
}

bool InspectedFont::maps(uint32_t codepoint) const {
  if (truetype_ != nullptr) {
    const TrueTypeFont& font = *truetype_;
    const uint16_t glyph = map_code_point(font.data_, font.cmap4_, font.cmap12_groups_, codepoint);
    return glyph != 0 && glyph < font.num_glyphs_;
  }
  if (type1_ != nullptr) {
    const dv::string& name = glyph_name_for_codepoint(*type1_, codepoint);
    return !(name == dv::string(".notdef")) &&
           type1_->charstrings.find(name) != type1_->charstrings.end();
  }
  return false;
}

bool InspectedFont::declares_standard_encoding() const {
  return (format_ == FontFormat::kPfb || format_ == FontFormat::kPfa) &&
         bytes_.find("/Encoding StandardEncoding") != std::string::npos;
}

} // namespace dvttf_tools
