// Writes OpenType fonts with CFF outlines for tests: a CFF table (version 1) with exactly the
// charstrings, subroutines, charset and CID structures a case needs, inside the sfnt tables
// of sfnt_builder. Independent of the library.
#pragma once

#include <cstdint>
#include <vector>

#include "support/sfnt_builder.h"

namespace testfont {

// Type 2 charstring code, written operand by operand.
class Type2Code {
public:
  Type2Code& n(int value);        // shortest integer form
  Type2Code& fixed(double value); // 16.16 form (byte 255)
  Type2Code& op(uint8_t code);    // one-byte operator
  Type2Code& esc(uint8_t code);   // two-byte operator 12 code
  Type2Code& raw(const Bytes& bytes);
  const Bytes& bytes() const { return bytes_; }
  operator Bytes() const { return bytes_; }

private:
  Bytes bytes_;
};

struct CffParams {
  std::vector<Bytes> charstrings; // one per glyph; glyph 0 is .notdef
  std::vector<Bytes> global_subrs;
  std::vector<Bytes> local_subrs; // the Private DICT's (fonts that are not CID-keyed)
  // Charset format 0: the SID of glyphs 1, 2, ...; empty: the predefined ISOAdobe charset.
  std::vector<uint16_t> charset_sids;
  // CID-keyed when not empty: each Font DICT's local subroutines, and the Font DICT of each
  // glyph (FDSelect format 3, or 0 when `fd_select_format` is 0).
  std::vector<std::vector<Bytes>> font_dict_subrs;
  std::vector<uint8_t> fd_select;
  int fd_select_format = 3;
  Bytes extra_top_dict; // more Top DICT operators, written last
};

// The DICT encoding of an integer (always the five-byte form).
Bytes dict_int(int32_t value);
// An INDEX of the given objects (offset size 4), its count `count_size` bytes long: 2 in
// CFF, 4 in CFF2.
Bytes cff_index(const std::vector<Bytes>& objects, int count_size = 2);

Bytes cff_table(const CffParams& params);

// An OpenType CFF font: `sfnt`'s tables without glyf and loca (its glyph advances and cmap
// stay), the CFF table of `cff`, version "OTTO".
Bytes build_cff_font(const FontParams& sfnt, const CffParams& cff);

} // namespace testfont
