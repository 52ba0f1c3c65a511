// A Type 1 font program, parsed: vertical metrics, the font's own encoding vector, and
// the decrypted subroutines and charstrings; in the complete mode also the map from Unicode
// code points to glyphs that the glyph names give. The decrypted programs and the glyph
// names live end to end in two buffers of the font's own, sized once at load, so a loaded
// font holds each program once and makes no allocation per glyph.
#pragma once
#include <stdint.h>

#include "containers/array.h"
#include "containers/string.h"
#include "containers/unordered_map.h"
#include "containers/vector.h"
#include "font/font_bytes.h"

using ByteVector = dv::vector<unsigned char>;

// How much of the format a font is read and drawn with. The straight-line mode is what the
// standard loaders give: hexadecimal eexec only, explicit encoding entries as the only
// names, and charstrings with curves or other operators beyond the straight lines drawn
// blank. The complete mode adds binary eexec data after clear text, curves, flex, hint
// replacement, seac and div, and names glyphs by Unicode.
enum class Type1Mode : uint8_t { kStraightLines, kComplete };

// Unicode naming of a font read in the complete mode.
struct Type1UnicodeNames {
  // One entry per mapped code point, ascending: code point << 32 | index of the glyph in
  // the font's charstring entries.
  dv::vector<uint64_t> glyphs;
  // The glyph names carry no Unicode meaning (a symbol or dingbat font): code points 0-255
  // without a named glyph go through the font's own encoding.
  bool symbolic = false;
};

struct Type1Font {
  Type1Font() = default;
  // The charstring and subroutine views point into the font's own buffers, which move with
  // it but would not be copied along.
  Type1Font(const Type1Font&) = delete;
  Type1Font& operator=(const Type1Font&) = delete;
  Type1Font(Type1Font&&) = default;
  Type1Font& operator=(Type1Font&&) = default;

  Type1Mode mode = Type1Mode::kStraightLines;
  double units_per_em = 1000.0;
  double ascent = 800.0;
  double descent = 200.0;
  int32_t len_iv = 4;
  dv::array<dv::string, 256> encoding;
  ByteVector programs;        // every subroutine and charstring kept, decrypted
  ByteVector names;           // the charstrings' names
  dv::vector<ByteView> subrs; // views of `programs`; empty slots too
  dv::unordered_map<dv::string_view, ByteView> charstrings; // views of `names` and `programs`
  // The clear text declares "/Encoding StandardEncoding". Only the complete mode fills
  // `encoding` from it; the straight-line mode leaves such a font without entries.
  bool standard_encoding = false;
  Type1UnicodeNames unicode;
};

// Parses a PFB (segmented binary) or PFA (text with hexadecimal eexec) font program into
// `font`; in the complete mode also clear text followed by binary eexec data, and then the
// encoding is resolved and the Unicode names are built. True when at least one charstring
// was stored; on false `font` is partly filled.
bool load_type1_font(Type1Font& font, ByteView bytes, Type1Mode mode = Type1Mode::kStraightLines);
