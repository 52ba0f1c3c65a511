#include "inspected_font.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "common/font_file.h"
#include "font/load_options.h"
#include "font/sfnt/cmap.h"
#include "font/sfnt/collection.h"
#include "font/type1/glyph.h"
#include "font/variation_sequence.h"
#include "host/halt.h"

namespace dvttf_tools {
namespace {

constexpr uint32_t kVersionCff = 0x4F54544F; // "OTTO"

// Why the library refuses a file of `format` outright with `options`, or empty when it
// tries to load it.
std::string refusal(FontFormat format, unsigned int options) {
  switch (format) {
  case FontFormat::kOpenTypeCff:
    return (options & load_option::kOpenTypeCff) != 0
               ? ""
               : "an OpenType font with CFF outlines (OTTO), which only the extended loader's "
                 "CFF option reads";
  case FontFormat::kCollection:
    return (options & load_option::kCollections) != 0
               ? ""
               : "a font collection (ttcf), which only the extended loader's collection option "
                 "reads";
  case FontFormat::kUnknown:
    return "not a font file the library reads (TrueType, OpenType CFF, a collection, or "
           "Type 1 PFB, PFA or .t1)";
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

// Why the loader refused a font of a format it accepts with `options`.
std::string load_failure(FontFormat format, unsigned int options, bool cff_face) {
  if (cff_face && (options & load_option::kOpenTypeCff) == 0) {
    return "the face has CFF outlines, which only the extended loader's CFF option reads";
  }
  if (format == FontFormat::kOpenTypeCff || format == FontFormat::kCollection ||
      format == FontFormat::kTrueType) {
    const char* what = format == FontFormat::kTrueType      ? "a TrueType font"
                       : format == FontFormat::kOpenTypeCff ? "an OpenType CFF font"
                                                            : "a collection's face";
    return std::string("the library refuses it as ") + what +
           " (a table it needs is missing, cut short or malformed)";
  }
  if (format == FontFormat::kType1Program && (options & load_option::kCompleteType1) == 0) {
    return "a .t1 program (its eexec part is binary), which the standard loader does not "
           "read (the extended loader's complete Type 1 option 4 does); t1binary turns it "
           "into a PFB, t1ascii into a PFA";
  }
  return "the library refuses it as a Type 1 font (no charstrings found)";
}

// The bytes in the library's vector, copied by the host's memcpy (a font file can be tens
// of megabytes, and the library's own copy loop is written for size, not speed).
dv::vector<unsigned char> library_bytes(const std::string& bytes) {
  dv::vector<unsigned char> copy;
  copy.reserve(bytes.size());
  if (!bytes.empty()) {
    std::memcpy(copy.data, bytes.data(), bytes.size());
  }
  copy.size = bytes.size();
  return copy;
}

// The whole file in one read; false with errno set when it cannot be read.
bool read_whole_file(const std::string& path, std::string* bytes) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : -1;
  if (size < 0) {
    return false;
  }
  bytes->resize(static_cast<size_t>(size));
  file.seekg(0);
  return static_cast<bool>(file.read(bytes->data(), size));
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
    return has_binary_eexec(bytes) ? FontFormat::kType1Program : FontFormat::kPfa;
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
  case FontFormat::kType1Program:
    return "Type 1 .t1 program (binary eexec)";
  case FontFormat::kOpenTypeCff:
    return "OpenType CFF";
  case FontFormat::kCollection:
    return "font collection";
  case FontFormat::kUnknown:
    break;
  }
  return "unknown";
}

InspectedFont::InspectedFont(std::string path, unsigned int options)
    : path_(std::move(path)), options_(options) {
  if (std::string problem = font_file_problem(path_); !problem.empty()) {
    problem_ = problem;
  } else if (std::string bytes; !read_whole_file(path_, &bytes)) {
    problem_ = "cannot read " + path_ + ": " + std::strerror(errno);
  } else {
    bytes_ = std::make_shared<const std::string>(std::move(bytes));
    problem_ = load();
  }
}

InspectedFont::InspectedFont(const InspectedFont& collection, uint32_t face)
    : path_(collection.path_), options_((collection.options_ & 0xFFFF) | face << 16),
      bytes_(collection.bytes_) {
  problem_ = load();
}

const SfntFont* InspectedFont::sfnt() const {
  if (truetype_ != nullptr)
    return truetype_.get();
  return cff_.get();
}

bool InspectedFont::load_sfnt_face(dv::vector<unsigned char>&& bytes, uint32_t directory) {
  if (has_bytes(bytes, directory, 4) && read_u32_be(bytes, directory) == kVersionCff) {
    cff_face_ = true;
    if ((options_ & load_option::kOpenTypeCff) == 0)
      return false;
    cff_ = std::make_unique<CffFont>();
    cff_->reads_extended_cmaps = (options_ & load_option::kExtendedCmaps) != 0;
    return load_cff_font(*cff_, static_cast<dv::vector<unsigned char>&&>(bytes), directory);
  }
  truetype_ = std::make_unique<TrueTypeFont>();
  truetype_->reads_extended_cmaps = (options_ & load_option::kExtendedCmaps) != 0;
  return load_truetype_font(*truetype_, static_cast<dv::vector<unsigned char>&&>(bytes), directory);
}

InspectedFont::~InspectedFont() = default;

// The straight-line reading the standard loader makes (the facts dvttf-info prints), and
// with the complete Type 1 option the complete one, which names the glyphs a render draws
// (and alone reads a .t1 program). Loaded when either reading loads.
bool InspectedFont::load_type1_faces(const dv::vector<unsigned char>& bytes) {
  type1_ = std::make_unique<Type1Font>();
  if (!load_type1_font(*type1_, bytes))
    type1_.reset();
  if ((options_ & load_option::kCompleteType1) != 0) {
    type1_named_ = std::make_unique<Type1Font>();
    if (!load_type1_font(*type1_named_, bytes, Type1Mode::kComplete))
      type1_named_.reset();
  }
  return type1_ != nullptr || type1_named_ != nullptr;
}

std::string InspectedFont::load() {
  format_ = detect_format(*bytes_);
  if (const std::string reason = refusal(format_, options_); !reason.empty()) {
    return "cannot load font " + path_ + ": " + reason;
  }
  const uint32_t face = load_option::face_index(options_);
  uint32_t directory = 0;
  // The one copy the library reads (an sfnt font takes it over).
  dv::vector<unsigned char> bytes = library_bytes(*bytes_);
  face_count_ = format_ == FontFormat::kCollection ? collection_face_count(bytes) : 1;
  if (!sfnt_face_directory(bytes, face, directory)) {
    return "cannot load font " + path_ + ": it has no face " + std::to_string(face) + " (" +
           std::to_string(face_count()) + (face_count() == 1 ? " face)" : " faces)");
  }
  bool loaded = false;
  const bool halted = dvhost::halts([&] {
    if (format_ == FontFormat::kTrueType || format_ == FontFormat::kOpenTypeCff ||
        format_ == FontFormat::kCollection) {
      loaded = load_sfnt_face(static_cast<dv::vector<unsigned char>&&>(bytes), directory);
    } else {
      loaded = load_type1_faces(bytes);
    }
  });
  if (halted) {
    // The abandoned loader left its font half-built: drop it without running the library.
    (void)truetype_.release();
    (void)cff_.release();
    (void)type1_.release();
    (void)type1_named_.release();
    return "the library halted reading " + path_ + " (out of memory?)";
  }
  if (!loaded) {
    truetype_.reset();
    cff_.reset();
    type1_.reset();
    type1_named_.reset();
    return "cannot load font " + path_ + ": " + load_failure(format_, options_, cff_face_);
  }
  return "";
}

bool InspectedFont::maps(uint32_t codepoint) const {
  if (const SfntFont* sfnt_font = sfnt()) {
    const SfntFont& font = *sfnt_font;
    uint16_t glyph = map_code_point(font.data, font.cmap4, font.cmap12_groups, codepoint);
    if (glyph == 0 && font.reads_extended_cmaps)
      glyph = map_extended(font.data, font.extended_cmaps, codepoint);
    return glyph != 0 && glyph < font.num_glyphs;
  }
  if (const Type1Font* font = type1_named_ != nullptr ? type1_named_.get() : type1_.get()) {
    const ByteView* charstring = charstring_for_type1_glyph(*font, codepoint);
    const auto* notdef = font->charstrings.find(dv::string_view(".notdef"));
    return charstring != nullptr &&
           (notdef == font->charstrings.end() || charstring != &notdef->second);
  }
  return false;
}

bool InspectedFont::draws_nothing_for(uint32_t codepoint) const {
  const SfntFont* font = sfnt();
  return font != nullptr && font->reads_extended_cmaps && is_variation_selector(codepoint);
}

bool InspectedFont::declares_standard_encoding() const {
  return (format_ == FontFormat::kPfb || format_ == FontFormat::kPfa ||
          format_ == FontFormat::kType1Program) &&
         bytes_->find("/Encoding StandardEncoding") != std::string::npos;
}

} // namespace dvttf_tools
