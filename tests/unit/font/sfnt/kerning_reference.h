// An independent reading of a font's pair kerning, for tests: every table walked with
// linear scans over plain std::vectors (no binary search, no limits), so that it shares
// no code and no shortcut with the library's reader. It follows the same rules: the kern
// features of script latn's default language system (DFLT's when latn's kern nothing),
// their pair-adjustment lookups (type 2, or type 9 extending type 2) in lookup-list
// order, the first subtable of each lookup that applies (format 1: the pair is listed;
// format 2: the first glyph is covered), the first value record's x advance, summed over
// lookups; the legacy kern table's horizontal format-0 subtables when GPOS kerns nothing.
// Malformed data throws (std::out_of_range): it is meant for real fonts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace kernref {

class FontKerning {
public:
  explicit FontKerning(std::vector<uint8_t> font);

  // The adjustment between glyphs `left` and `right` in font units.
  int pair(uint16_t left, uint16_t right) const;

  bool from_gpos() const { return !lookups_.empty(); }
  size_t legacy_pairs() const { return legacy_.size(); }

private:
  std::vector<uint8_t> font_;
  size_t gpos_ = 0;
  // Per kerning lookup, the absolute offsets of its pair-adjustment subtables.
  std::vector<std::vector<size_t>> lookups_;
  std::map<uint32_t, int> legacy_; // (left << 16 | right) -> summed value

  uint16_t u16(size_t at) const;
  int16_t i16(size_t at) const { return static_cast<int16_t>(u16(at)); }
  uint32_t u32(size_t at) const { return uint32_t{u16(at)} << 16 | u16(at + 2); }

  void read_gpos(size_t gpos);
  std::vector<uint16_t> kern_lookups(size_t script_list, size_t feature_list,
                                     const char* script) const;
  void read_legacy(size_t kern);
  bool apply(size_t subtable, uint16_t left, uint16_t right, int& value) const;
  int coverage(size_t table, uint16_t glyph) const;
  uint16_t glyph_class(size_t table, uint16_t glyph) const;
};

} // namespace kernref
