#include "support/gpos_builder.h"

namespace testfont {

namespace {

Bytes coverage_table(const std::vector<uint16_t>& glyphs, int format) {
  ByteWriter out;
  if (format == 1) {
    out.u16(1).u16(uint16_t(glyphs.size()));
    for (uint16_t glyph : glyphs)
      out.u16(glyph);
    return out.bytes();
  }
  // Ranges of consecutive glyphs, each with the coverage index of its start.
  std::vector<std::vector<uint16_t>> ranges;
  for (size_t i = 0; i < glyphs.size(); ++i) {
    if (i == 0 || glyphs[i] != glyphs[i - 1] + 1)
      ranges.push_back({glyphs[i], glyphs[i], uint16_t(i)});
    ranges.back()[1] = glyphs[i];
  }
  out.u16(2).u16(uint16_t(ranges.size()));
  for (const auto& range : ranges)
    out.u16(range[0]).u16(range[1]).u16(range[2]);
  return out.bytes();
}

Bytes class_table(const std::map<uint16_t, uint16_t>& classes, int format) {
  ByteWriter out;
  if (classes.empty())
    return out.u16(2).u16(0).bytes();
  if (format == 1) {
    const uint16_t first = classes.begin()->first;
    const uint16_t last = classes.rbegin()->first;
    out.u16(1).u16(first).u16(uint16_t(last - first + 1));
    for (uint32_t glyph = first; glyph <= last; ++glyph) {
      const auto found = classes.find(uint16_t(glyph));
      out.u16(found == classes.end() ? 0 : found->second);
    }
    return out.bytes();
  }
  out.u16(2).u16(uint16_t(classes.size()));
  for (const auto& [glyph, klass] : classes)
    out.u16(glyph).u16(glyph).u16(klass);
  return out.bytes();
}

uint16_t first_format(const PairLayout& layout) {
  return layout.placements ? 0x0007 : 0x0004;
}
uint16_t second_format(const PairLayout& layout) {
  return layout.second_values ? 0x0005 : 0x0000;
}

// One pair's value records: placements (7, 9) and a second record (11, 13) around the
// x advance, so a reader that takes the wrong field gets a wrong value.
void value_records(ByteWriter& out, const PairLayout& layout, int16_t x_advance) {
  if (layout.placements)
    out.i16(7).i16(9);
  out.i16(x_advance);
  if (layout.second_values)
    out.i16(11).i16(13);
}

// Appends `table` to `out`, writing its offset from `base` at `slot`.
void place(Bytes& out, size_t base, size_t slot, const Bytes& table) {
  put_u16(out, slot, uint16_t(out.size() - base));
  out.insert(out.end(), table.begin(), table.end());
}

} // namespace

Bytes pair_pos_glyphs(const std::map<uint16_t, std::vector<PairValue>>& sets,
                      const PairLayout& layout) {
  std::vector<uint16_t> firsts;
  for (const auto& entry : sets)
    firsts.push_back(entry.first);
  ByteWriter header;
  header.u16(1).u16(0).u16(first_format(layout)).u16(second_format(layout));
  header.u16(uint16_t(sets.size()));
  for (size_t i = 0; i < sets.size(); ++i)
    header.u16(0);
  Bytes out = header.bytes();
  size_t slot = 10;
  for (const auto& [first, pairs] : sets) {
    ByteWriter set;
    set.u16(uint16_t(pairs.size()));
    for (const PairValue& pair : pairs) {
      set.u16(pair.second);
      value_records(set, layout, pair.x_advance);
    }
    place(out, 0, slot, set.bytes());
    slot += 2;
  }
  place(out, 0, 2, coverage_table(firsts, layout.coverage_format));
  return out;
}

Bytes pair_pos_classes(const std::vector<uint16_t>& covered,
                       const std::map<uint16_t, uint16_t>& first_classes,
                       const std::map<uint16_t, uint16_t>& second_classes,
                       const std::vector<std::vector<int16_t>>& x_advances,
                       const PairLayout& layout) {
  ByteWriter header;
  header.u16(2).u16(0).u16(first_format(layout)).u16(second_format(layout)).u16(0).u16(0);
  header.u16(uint16_t(x_advances.size()));
  header.u16(uint16_t(x_advances.empty() ? 0 : x_advances[0].size()));
  for (const auto& row : x_advances)
    for (int16_t value : row)
      value_records(header, layout, value);
  Bytes out = header.bytes();
  place(out, 0, 2, coverage_table(covered, layout.coverage_format));
  place(out, 0, 8, class_table(first_classes, layout.class_format));
  place(out, 0, 10, class_table(second_classes, layout.class_format));
  return out;
}

Bytes gpos_table(const std::vector<GposLookup>& lookups, const std::vector<uint16_t>& kern_lookups,
                 const std::string& script) {
  ByteWriter out;
  out.u32(0x00010000).u16(10).u16(30).u16(0); // lookup list offset patched below
  // Script list (at 10): one script, its default language system naming feature 0.
  out.u16(1).tag(script).u16(8).u16(4).u16(0).u16(0).u16(0xFFFF).u16(1).u16(0);
  // Feature list (at 30): the kern feature.
  out.u16(1).tag("kern").u16(8).u16(0).u16(uint16_t(kern_lookups.size()));
  for (uint16_t index : kern_lookups)
    out.u16(index);
  Bytes table = out.bytes();
  const size_t lookup_list = table.size();
  put_u16(table, 8, uint16_t(lookup_list));
  ByteWriter list;
  list.u16(uint16_t(lookups.size()));
  for (size_t i = 0; i < lookups.size(); ++i)
    list.u16(0);
  table.insert(table.end(), list.bytes().begin(), list.bytes().end());
  for (size_t i = 0; i < lookups.size(); ++i) {
    const GposLookup& lookup = lookups[i];
    const size_t start = table.size();
    put_u16(table, lookup_list + 2 + 2 * i, uint16_t(start - lookup_list));
    ByteWriter head;
    head.u16(lookup.extension ? 9 : lookup.type).u16(0).u16(uint16_t(lookup.subtables.size()));
    for (size_t s = 0; s < lookup.subtables.size(); ++s)
      head.u16(0);
    table.insert(table.end(), head.bytes().begin(), head.bytes().end());
    for (size_t s = 0; s < lookup.subtables.size(); ++s) {
      Bytes subtable = lookup.subtables[s];
      if (lookup.extension) {
        Bytes extension = ByteWriter().u16(1).u16(lookup.type).u32(8).bytes();
        extension.insert(extension.end(), subtable.begin(), subtable.end());
        subtable = extension;
      }
      place(table, start, start + 6 + 2 * s, subtable);
    }
  }
  return table;
}

Bytes kern_table(const std::vector<KernSubtable>& subtables) {
  ByteWriter out;
  out.u16(0).u16(uint16_t(subtables.size()));
  for (const KernSubtable& subtable : subtables) {
    out.u16(0).u16(uint16_t(14 + 6 * subtable.pairs.size())).u16(subtable.coverage);
    out.u16(uint16_t(subtable.pairs.size())).u16(0).u16(0).u16(0);
    for (const KernPair& pair : subtable.pairs)
      out.u16(pair.left).u16(pair.right).i16(pair.value);
  }
  return out.bytes();
}

} // namespace testfont
