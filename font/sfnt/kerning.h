// Pair kerning of sfnt fonts: the horizontal adjustments of the GPOS `kern` feature, or of
// the legacy `kern` table when GPOS kerns nothing.
//
// GPOS: the default language system of script latn (or of DFLT when latn's kerns
// nothing: the choice of a shaper given Latin text) names the `kern` features; their
// lookups of type 2 (pair adjustment), directly or through type-9 extensions, apply to a
// pair in lookup-list order and their values add up. Within one lookup the subtables are
// tried in order until one applies:
//   - format 1 (glyph pairs) applies when its coverage holds the first glyph and that
//     glyph's pair set holds the second; a covered first glyph whose pair set lacks the
//     second does not apply, and the next subtable is tried;
//   - format 2 (class pairs) applies whenever its coverage holds the first glyph and both
//     classes lie inside its class matrix; a glyph missing from a class definition is in
//     class 0, so a covered first glyph ends the lookup even when the class pair's value
//     is 0 (fonts rely on this to keep later subtables from kerning pairs they exclude).
// A pair's value is the first value record's x advance: the space added between the two
// glyphs. Placements and the second record move ink or the glyphs after the pair, which a
// layout of one adjustment per pair does not express; Latin fonts put kerning in the
// first record's x advance. Lookup flags are not read (no glyph is skipped as a mark).
//
// Legacy `kern` (version 0): every horizontal format-0 subtable that is neither a minimum
// nor cross-stream adds its value for the pair (a subtable with the override bit replaces
// the sum so far).
//
// Hostile data: every read is bounds-checked against its table; the lookups, subtables and
// legacy subtables kept are limited (the rest are ignored), so a pair costs at most
// kMaxKerningSubtables binary searches of at most 17 probes each (the backend pays the
// fields read from the render's glyph budget). Binary searches trust no sort order for
// their safety: unsorted data gives some answer, never a read outside.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/glyph_budget.h"
#include "font/sfnt/sfnt.h"
#include "font/sfnt/sfnt_font.h"

// Most GPOS pair subtables (all kerning lookups together) and legacy subtables kept.
inline constexpr uint32_t kMaxKerningSubtables = 32;
inline constexpr uint32_t kMaxLegacyKerningSubtables = 8;

// One pair-adjustment subtable, its offsets made absolute within the font data.
struct PairSubtable {
  uint64_t offset = 0;   // the subtable
  uint64_t coverage = 0; // its coverage table
  uint16_t format = 0;   // 1: glyph pairs, 2: class pairs
  uint16_t value_format1 = 0;
  uint16_t value_format2 = 0;
  uint16_t count = 0;        // format 1: pair sets; format 2: first-glyph classes
  uint16_t class2_count = 0; // format 2 only
  uint64_t class_def1 = 0;   // format 2 only
  uint64_t class_def2 = 0;   // format 2 only
  uint16_t lookup = 0;       // position of its lookup among the kerning lookups
};

// One format-0 subtable of the legacy table.
struct LegacyKernSubtable {
  uint64_t pairs = 0; // absolute offset of the first pair record
  uint16_t pair_count = 0;
  bool override = false;
};

struct PairKerning {
  TableRecord gpos;                      // bounds of every GPOS read
  TableRecord kern;                      // bounds of every legacy read
  dv::vector<PairSubtable> subtables;    // grouped by lookup, in lookup-list order
  dv::vector<LegacyKernSubtable> legacy; // used only when `subtables` is empty

  bool empty() const { return subtables.size == 0 && legacy.size == 0; }
};

// Reads the kerning of a font whose GPOS and kern tables lie at `gpos` and `kern` (length
// 0: absent; both already checked to lie inside `data`). Unusable parts are skipped; a
// font without usable kerning gives an empty PairKerning.
PairKerning read_pair_kerning(ByteView data, TableRecord gpos, TableRecord kern);

// The same for a loaded sfnt font, from the GPOS and kern entries of its directory.
PairKerning read_sfnt_kerning(const SfntFont& font);

// The horizontal adjustment between glyphs `left` and `right`, in font units. Pays what
// finding it cost from `budget`, as a glyph pays its drawing: kWorkPerKerningRead per field
// read (font/glyph_budget.h), a few thousand units at most; when more than is left, the
// budget is exhausted and the caller must stop.
int32_t pair_kerning(ByteView data, const PairKerning& kerning, uint16_t left, uint16_t right,
                     GlyphBudget& budget);
