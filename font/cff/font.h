// The parsed state of an OpenType font with CFF outlines: the sfnt part every outline
// format shares (font/sfnt/sfnt_font.h) plus what the CFF (or CFF2) table's Top DICT leads to,
// its CharStrings and global subroutines, and per Private DICT the local subroutines and
// width defaults. A CID-keyed font has one Private DICT per Font DICT of its FDArray and
// picks one per glyph through FDSelect; any other font has exactly one. A CFF2 table (the
// outlines of a variable font) always has an FDArray, and its charstrings blend values
// through an item variation store. Everything is
// read in place from `data` and is read-only after load_cff_font has succeeded.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/cff/index.h"
#include "font/sfnt/sfnt_font.h"

// Per Private DICT.
struct CffPrivate {
  CffIndex local_subrs; // count 0 when the DICT names none
  uint16_t vsindex = 0; // CFF2: the data set charstrings blend with until vsindex says
};

struct CffFont : SfntFont {
  TableRecord cff_;              // the CFF or CFF2 table
  bool cff2 = false;             // the outlines are CFF2's
  ItemVariationStore cff2_store; // CFF2: not present when the Top DICT names none
  CffIndex charstrings;
  CffIndex global_subrs;
  bool cid_keyed = false;
  dv::vector<CffPrivate> privates; // one, or one per Font DICT of a CID-keyed font
  uint8_t fd_select_format = 0;    // 0 or 3, or 4 in CFF2 (CID-keyed fonts only)
  uint32_t fd_select = 0;          // absolute offset of the FDSelect data
  uint32_t charset = 0;            // 0: ISOAdobe (glyph i has SID i); else absolute offset
  bool charset_expert = false;     // one of the predefined expert charsets
};

// Fills `font` from the face whose table directory starts at `directory` (0 for a single
// font): its CFF table, or its CFF2 table when it has no CFF table. False when the file is
// not a usable OpenType CFF font; `font` is then partly filled and must only be destroyed.
bool load_cff_font(CffFont& font, FontBytes bytes, uint32_t directory);

// The Private DICT glyph `glyph` uses: its Font DICT's through FDSelect in a CID-keyed
// font, else the only one. Null when FDSelect gives no valid Font DICT.
const CffPrivate* private_for_glyph(const CffFont& font, uint32_t glyph);

// The glyph whose charset entry names standard string `sid`, or false when none does
// (or the charset is cut short). CID-keyed fonts name CIDs, not strings: always false.
bool glyph_for_sid(const CffFont& font, uint16_t sid, uint32_t& glyph);
