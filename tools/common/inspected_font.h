// A font file as the library reads it, for the tools: its format, the library's own
// loader's verdict (with the reason when it refuses the font), and which code points it
// draws. The fonts are loaded by the hosted core library (dvcore) inside the stand-in, so
// both tools give the same answers and the same reasons.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "font/cff/font.h"
#include "font/truetype/font.h"
#include "font/type1/font.h"

namespace dvttf_tools {

// kType1Program: clear text followed by binary eexec data (the .t1 files).
enum class FontFormat { kTrueType, kPfb, kPfa, kType1Program, kOpenTypeCff, kCollection, kUnknown };

// The format by the first bytes, as the library picks its backend.
FontFormat detect_format(const std::string& bytes);

// "TrueType", "Type 1 PFB", ...
const char* format_name(FontFormat format);

// The extended loader's options the tools use unless told otherwise: every format and
// feature but light hinting (asked for on its own), face 0 of a collection.
inline constexpr unsigned int kEveryOption = 79;

class InspectedFont {
public:
  // Reads and loads the file at `path` as the extended loader does with `options` (0: as
  // the standard loader does; install the stand-in first). Never throws for a bad file:
  // problem() says what is wrong.
  explicit InspectedFont(std::string path, unsigned int options = kEveryOption);
  // Face `face` of the collection `collection` was read from, with its other options.
  InspectedFont(const InspectedFont& collection, uint32_t face);
  ~InspectedFont();
  InspectedFont(const InspectedFont&) = delete;
  InspectedFont& operator=(const InspectedFont&) = delete;

  // Empty when the library loads the font, else one line saying why not: the file is
  // missing, unreadable, not a font, or a font the library refuses (and why).
  const std::string& problem() const { return problem_; }
  bool loaded() const { return problem_.empty(); }

  const std::string& path() const { return path_; }
  const std::string& bytes() const { return *bytes_; }
  FontFormat format() const { return format_; }
  unsigned int options() const { return options_; }
  // The faces a collection lists (0 when its header is cut short); 1 for any other file.
  uint32_t face_count() const { return face_count_; }
  // The loaded font of its format (a collection's: its face's); null for the other formats
  // or when not loaded. sfnt() is the TrueType or OpenType CFF font's common part.
  const TrueTypeFont* truetype() const { return truetype_.get(); }
  const CffFont* cff() const { return cff_.get(); }
  const Type1Font* type1() const { return type1_ != nullptr ? type1_.get() : type1_named_.get(); }
  const SfntFont* sfnt() const;

  // True when the font gives `codepoint` a glyph of its own (not .notdef or glyph 0).
  bool maps(uint32_t codepoint) const;
  // True for a code point the library draws as nothing by design: with the extended
  // character maps, a variation selector (part of the character before it).
  bool draws_nothing_for(uint32_t codepoint) const;

  // True for a Type 1 program that names its glyphs through StandardEncoding.
  bool declares_standard_encoding() const;

private:
  std::string load();
  // Loads the sfnt face whose table directory starts at `directory` from the file's bytes
  // (which the font keeps); false when refused.
  bool load_sfnt_face(dv::vector<unsigned char>&& bytes, uint32_t directory);
  bool load_type1_faces(const dv::vector<unsigned char>& bytes);

  std::string path_;
  unsigned int options_;
  // The file, shared by the faces of a collection.
  std::shared_ptr<const std::string> bytes_ = std::make_shared<const std::string>();
  FontFormat format_ = FontFormat::kUnknown;
  bool cff_face_ = false; // the sfnt face read has CFF outlines
  uint32_t face_count_ = 1;
  std::unique_ptr<TrueTypeFont> truetype_;
  std::unique_ptr<CffFont> cff_;
  std::unique_ptr<Type1Font> type1_;       // as the standard loader reads it
  std::unique_ptr<Type1Font> type1_named_; // read in full, with the complete Type 1 option
  std::string problem_;
};

} // namespace dvttf_tools
