#include "font/sfnt/kerning.h"

namespace {

constexpr uint32_t kScriptDefault = sfnt_tag("DFLT");
constexpr uint32_t kScriptLatin = sfnt_tag("latn");
constexpr uint32_t kFeatureKern = sfnt_tag("kern");
constexpr uint16_t kNoRequiredFeature = 0xFFFF;
constexpr uint16_t kLookupPairAdjustment = 2;
constexpr uint16_t kLookupExtension = 9;

// Most feature lookup indices gathered before sorting (each feature's list is read up to
// what is left of it); more than this many kerning lookup references are ignored.
constexpr uint32_t kMaxKerningLookupIndices = 256;

// Value record fields, in the order they are stored.
constexpr uint16_t kXPlacement = 0x0001;
constexpr uint16_t kYPlacement = 0x0002;
constexpr uint16_t kXAdvance = 0x0004;
constexpr uint16_t kValueFields = 0x00FF; // the eight defined fields; the rest are reserved

// Legacy kern subtable coverage bits (the low byte; the high byte is the format).
constexpr uint16_t kLegacyHorizontal = 0x0001;
constexpr uint16_t kLegacyMinimum = 0x0002;
constexpr uint16_t kLegacyCrossStream = 0x0004;
constexpr uint16_t kLegacyOverride = 0x0008;
constexpr uint64_t kLegacyPairSize = 6;

// Reads of one table: absolute offsets, each read checked against the table's end.
class TableReader {
public:
  TableReader(ByteView data, TableRecord table)
      : data_(data), start_(table.offset), end_(uint64_t{table.offset} + table.length) {}

  uint64_t start() const { return start_; }
  bool has(uint64_t at, uint64_t count) const {
    return at >= start_ && at <= end_ && end_ - at >= count;
  }
  // 0 for reads outside the table (callers test `has` where 0 would be taken as data).
  // Every read counts in `reads`.
  uint16_t u16(uint64_t at) const {
    ++reads;
    return has(at, 2) ? read_u16_be(data_, at) : 0;
  }
  int16_t i16(uint64_t at) const { return static_cast<int16_t>(u16(at)); }
  uint32_t u32(uint64_t at) const {
    ++reads;
    return has(at, 4) ? read_u32_be(data_, at) : 0;
  }

  mutable uint64_t reads = 0;

private:
  const ByteView data_;
  uint64_t start_;
  uint64_t end_;
};

// The index of the first of `count` records of `size` bytes from `first` whose key (read
// by `key_at`, an absolute offset) equals `key`, or -1. A binary search: at most 17 probes
// for 2^16 records; unsorted keys give some answer or -1, never a read outside.
template <typename KeyAt>
int64_t search(uint64_t first, uint32_t count, uint64_t size, uint32_t key, KeyAt key_at) {
  uint32_t low = 0;
  uint32_t high = count;
  while (low < high) {
    const uint32_t middle = low + (high - low) / 2;
    const uint32_t probe = key_at(first + size * middle);
    if (probe == key)
      return middle;
    if (probe < key)
      low = middle + 1;
    else
      high = middle;
  }
  return -1;
}

unsigned value_record_size(uint16_t format) {
  return 2u * static_cast<unsigned>(__builtin_popcount(format & kValueFields));
}

// The x advance of the value record at `at`, 0 when the record has none.
int32_t x_advance(const TableReader& gpos, uint64_t at, uint16_t format) {
  if ((format & kXAdvance) == 0)
    return 0;
  const unsigned skipped = ((format & kXPlacement) != 0) + ((format & kYPlacement) != 0);
  return gpos.i16(at + 2 * skipped);
}

// ---- coverage and class definitions -------------------------------------------------

// Of `count` 6-byte range records from `first` (start glyph, end glyph, a value), the one
// holding `glyph`: the last whose start is at or before it, found by binary search on the
// starts, if its end is at or after it. 0 when none holds it (or the records do not fit).
uint64_t range_holding(const TableReader& gpos, uint64_t first, uint16_t count, uint16_t glyph) {
  if (!gpos.has(first, 6ull * count))
    return 0;
  uint32_t low = 0;
  uint32_t high = count;
  while (low < high) {
    const uint32_t middle = low + (high - low) / 2;
    if (gpos.u16(first + 6ull * middle) <= glyph)
      low = middle + 1;
    else
      high = middle;
  }
  if (low == 0)
    return 0;
  const uint64_t range = first + 6ull * (low - 1);
  return glyph <= gpos.u16(range + 2) ? range : 0;
}

// The coverage index of `glyph`, or -1 when the table does not cover it.
int64_t coverage_index(const TableReader& gpos, uint64_t table, uint16_t glyph) {
  if (!gpos.has(table, 4))
    return -1;
  const uint16_t format = gpos.u16(table);
  const uint16_t count = gpos.u16(table + 2);
  const uint64_t first = table + 4;
  if (format == 1) {
    if (!gpos.has(first, 2ull * count))
      return -1;
    return search(first, count, 2, glyph, [&](uint64_t at) { return gpos.u16(at); });
  }
  if (format != 2)
    return -1;
  // Range records: start, end, coverage index of the start.
  const uint64_t range = range_holding(gpos, first, count, glyph);
  return range == 0 ? -1 : int64_t{gpos.u16(range + 4)} + (glyph - gpos.u16(range));
}

// The class of `glyph` in the class definition at `table`; 0 for glyphs it does not list.
uint16_t glyph_class(const TableReader& gpos, uint64_t table, uint16_t glyph) {
  const uint16_t format = gpos.u16(table);
  if (format == 1) {
    const uint16_t start = gpos.u16(table + 2);
    const uint16_t count = gpos.u16(table + 4);
    if (glyph < start || glyph - start >= count)
      return 0;
    return gpos.u16(table + 6 + 2ull * (glyph - start));
  }
  if (format != 2)
    return 0;
  // Range records: start, end, class.
  const uint64_t range = range_holding(gpos, table + 4, gpos.u16(table + 2), glyph);
  return range == 0 ? 0 : gpos.u16(range + 4);
}

// ---- applying one subtable ----------------------------------------------------------

// True when the subtable applies to the pair, with its value in `value`.
bool apply_glyph_pairs(const TableReader& gpos, const PairSubtable& sub, int64_t covered,
                       uint16_t right, int32_t& value) {
  if (covered >= sub.count)
    return false;
  const uint64_t pair_set = sub.offset + gpos.u16(sub.offset + 10 + 2 * covered);
  if (!gpos.has(pair_set, 2))
    return false;
  const uint16_t pairs = gpos.u16(pair_set);
  const uint64_t record_size =
      2 + value_record_size(sub.value_format1) + value_record_size(sub.value_format2);
  const uint64_t first = pair_set + 2;
  if (!gpos.has(first, record_size * pairs))
    return false;
  const int64_t found =
      search(first, pairs, record_size, right, [&](uint64_t at) { return gpos.u16(at); });
  if (found < 0)
    return false;
  value = x_advance(gpos, first + record_size * found + 2, sub.value_format1);
  return true;
}

bool apply_class_pairs(const TableReader& gpos, const PairSubtable& sub, uint16_t left,
                       uint16_t right, int32_t& value) {
  const uint16_t class1 = glyph_class(gpos, sub.class_def1, left);
  const uint16_t class2 = glyph_class(gpos, sub.class_def2, right);
  if (class1 >= sub.count || class2 >= sub.class2_count)
    return false;
  const uint64_t record_size =
      value_record_size(sub.value_format1) + value_record_size(sub.value_format2);
  const uint64_t record =
      sub.offset + 16 + record_size * (uint64_t{class1} * sub.class2_count + class2);
  value = x_advance(gpos, record, sub.value_format1);
  return true;
}

bool apply_subtable(const TableReader& gpos, const PairSubtable& sub, uint16_t left, uint16_t right,
                    int32_t& value) {
  const int64_t covered = coverage_index(gpos, sub.coverage, left);
  if (covered < 0)
    return false;
  return sub.format == 1 ? apply_glyph_pairs(gpos, sub, covered, right, value)
                         : apply_class_pairs(gpos, sub, left, right, value);
}

// ---- reading the GPOS structure -----------------------------------------------------

// The default language system of script `wanted`; 0 when the script or that system is
// missing.
uint64_t default_language_system(const TableReader& gpos, uint64_t script_list, uint32_t wanted) {
  const uint16_t count = gpos.u16(script_list);
  if (!gpos.has(script_list + 2, 6ull * count))
    return 0;
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t record = script_list + 2 + 6ull * i;
    if (gpos.u32(record) != wanted)
      continue;
    const uint64_t script = script_list + gpos.u16(record + 4);
    const uint16_t language = gpos.u16(script);
    return language != 0 && gpos.has(script + language, 6) ? script + language : 0;
  }
  return 0;
}

// Appends the lookup indices of the `kern` feature with index `feature`.
void gather_feature_lookups(const TableReader& gpos, uint64_t feature_list, uint16_t feature,
                            dv::vector<uint16_t>& lookups) {
  const uint16_t count = gpos.u16(feature_list);
  if (feature >= count || !gpos.has(feature_list + 2, 6ull * count))
    return;
  const uint64_t record = feature_list + 2 + 6ull * feature;
  if (gpos.u32(record) != kFeatureKern)
    return;
  const uint64_t table = feature_list + gpos.u16(record + 4);
  const uint16_t lookup_count = gpos.u16(table + 2);
  if (!gpos.has(table + 4, 2ull * lookup_count))
    return;
  for (uint32_t i = 0; i < lookup_count && lookups.size < kMaxKerningLookupIndices; ++i)
    lookups.push_back(gpos.u16(table + 4 + 2ull * i));
}

// Sorts `lookups` and drops repeats: lookups apply in lookup-list order, each once.
void sort_unique(dv::vector<uint16_t>& lookups) {
  for (size_t i = 1; i < lookups.size; ++i) {
    const uint16_t value = lookups.data[i];
    size_t j = i;
    for (; j > 0 && lookups.data[j - 1] > value; --j)
      lookups.data[j] = lookups.data[j - 1];
    lookups.data[j] = value;
  }
  size_t kept = 0;
  for (size_t i = 0; i < lookups.size; ++i)
    if (kept == 0 || lookups.data[kept - 1] != lookups.data[i])
      lookups.data[kept++] = lookups.data[i];
  lookups.resize(kept);
}

// The kerning lookups of the default language system at `language`, sorted and unique.
dv::vector<uint16_t> language_kerning_lookups(const TableReader& gpos, uint64_t language,
                                              uint64_t feature_list) {
  dv::vector<uint16_t> lookups;
  if (language == 0)
    return lookups;
  const uint16_t required = gpos.u16(language + 2);
  if (required != kNoRequiredFeature)
    gather_feature_lookups(gpos, feature_list, required, lookups);
  const uint16_t count = gpos.u16(language + 4);
  if (!gpos.has(language + 6, 2ull * count))
    return lookups;
  for (uint32_t i = 0; i < count; ++i)
    gather_feature_lookups(gpos, feature_list, gpos.u16(language + 6 + 2ull * i), lookups);
  sort_unique(lookups);
  return lookups;
}

// The kerning lookups of script latn, or of DFLT when latn has none: the lookups a shaper
// applies to Latin text.
dv::vector<uint16_t> kerning_lookups(const TableReader& gpos, uint64_t script_list,
                                     uint64_t feature_list) {
  dv::vector<uint16_t> lookups = language_kerning_lookups(
      gpos, default_language_system(gpos, script_list, kScriptLatin), feature_list);
  if (lookups.size != 0)
    return lookups;
  return language_kerning_lookups(gpos, default_language_system(gpos, script_list, kScriptDefault),
                                  feature_list);
}

// Reads the pair subtable at `at` into `sub`; false when its header does not fit.
bool read_pair_subtable(const TableReader& gpos, uint64_t at, PairSubtable& sub) {
  if (!gpos.has(at, 10))
    return false;
  sub.offset = at;
  sub.format = gpos.u16(at);
  sub.coverage = at + gpos.u16(at + 2);
  sub.value_format1 = gpos.u16(at + 4);
  sub.value_format2 = gpos.u16(at + 6);
  sub.count = gpos.u16(at + 8);
  if (sub.format == 1)
    return gpos.has(at + 10, 2ull * sub.count);
  if (sub.format != 2 || !gpos.has(at, 16))
    return false;
  sub.class_def1 = at + gpos.u16(at + 8);
  sub.class_def2 = at + gpos.u16(at + 10);
  sub.count = gpos.u16(at + 12);
  sub.class2_count = gpos.u16(at + 14);
  const uint64_t record_size =
      value_record_size(sub.value_format1) + value_record_size(sub.value_format2);
  return gpos.has(at + 16, record_size * sub.count * sub.class2_count);
}

// The pair subtable behind subtable offset `at` of a lookup of type `type`, following an
// extension to its target; false when it is no readable pair subtable.
bool resolve_subtable(const TableReader& gpos, uint16_t type, uint64_t at, PairSubtable& sub) {
  if (type == kLookupExtension) {
    if (gpos.u16(at) != 1 || gpos.u16(at + 2) != kLookupPairAdjustment || !gpos.has(at, 8))
      return false;
    at += gpos.u32(at + 4);
  } else if (type != kLookupPairAdjustment) {
    return false;
  }
  return read_pair_subtable(gpos, at, sub);
}

// Appends the pair subtables of lookup `index`, up to kMaxKerningSubtables in all.
void read_lookup(const TableReader& gpos, uint64_t lookup_list, uint16_t index, uint16_t position,
                 dv::vector<PairSubtable>& subtables) {
  const uint16_t count = gpos.u16(lookup_list);
  if (index >= count || !gpos.has(lookup_list + 2, 2ull * count))
    return;
  const uint64_t lookup = lookup_list + gpos.u16(lookup_list + 2 + 2ull * index);
  if (!gpos.has(lookup, 6))
    return;
  const uint16_t type = gpos.u16(lookup);
  const uint16_t subtable_count = gpos.u16(lookup + 4);
  if (!gpos.has(lookup + 6, 2ull * subtable_count))
    return;
  for (uint32_t i = 0; i < subtable_count && subtables.size < kMaxKerningSubtables; ++i) {
    PairSubtable sub;
    sub.lookup = position;
    if (resolve_subtable(gpos, type, lookup + gpos.u16(lookup + 6 + 2ull * i), sub))
      subtables.push_back(sub);
  }
}

dv::vector<PairSubtable> read_gpos_kerning(const TableReader& gpos) {
  dv::vector<PairSubtable> subtables;
  const uint64_t header = gpos.start();
  if (!gpos.has(header, 10) || gpos.u16(header) != 1)
    return subtables;
  const uint64_t script_list = header + gpos.u16(header + 4);
  const uint64_t feature_list = header + gpos.u16(header + 6);
  const uint64_t lookup_list = header + gpos.u16(header + 8);
  const dv::vector<uint16_t> lookups = kerning_lookups(gpos, script_list, feature_list);
  for (size_t i = 0; i < lookups.size && subtables.size < kMaxKerningSubtables; ++i)
    read_lookup(gpos, lookup_list, lookups.data[i], static_cast<uint16_t>(i), subtables);
  return subtables;
}

// ---- the legacy kern table ----------------------------------------------------------

dv::vector<LegacyKernSubtable> read_legacy_kerning(const TableReader& kern) {
  dv::vector<LegacyKernSubtable> subtables;
  const uint64_t header = kern.start();
  if (!kern.has(header, 4) || kern.u16(header) != 0)
    return subtables;
  const uint16_t count = kern.u16(header + 2);
  uint64_t at = header + 4;
  for (uint32_t i = 0; i < count && subtables.size < kMaxLegacyKerningSubtables; ++i) {
    if (!kern.has(at, 14))
      break;
    const uint16_t length = kern.u16(at + 2);
    const uint16_t coverage = kern.u16(at + 4);
    const bool format0 = (coverage >> 8) == 0;
    const bool horizontal_kerning =
        (coverage & (kLegacyHorizontal | kLegacyMinimum | kLegacyCrossStream)) == kLegacyHorizontal;
    if (format0 && horizontal_kerning) {
      // The pair count, not the 16-bit length (which large subtables overflow), bounds
      // the pairs; they must lie inside the table.
      const uint16_t pairs = kern.u16(at + 6);
      if (kern.has(at + 14, kLegacyPairSize * pairs))
        subtables.push_back(LegacyKernSubtable{at + 14, pairs, (coverage & kLegacyOverride) != 0});
    }
    if (length == 0)
      break;
    at += length;
  }
  return subtables;
}

int32_t legacy_kerning(const TableReader& kern, const dv::vector<LegacyKernSubtable>& subtables,
                       uint16_t left, uint16_t right) {
  const uint32_t key = uint32_t{left} << 16 | right;
  int32_t total = 0;
  for (const LegacyKernSubtable& sub : subtables) {
    const int64_t found = search(sub.pairs, sub.pair_count, kLegacyPairSize, key,
                                 [&](uint64_t at) { return kern.u32(at); });
    if (found < 0)
      continue;
    const int32_t value = kern.i16(sub.pairs + kLegacyPairSize * found + 4);
    total = sub.override ? value : total + value;
  }
  return total;
}

} // namespace

PairKerning read_pair_kerning(ByteView data, TableRecord gpos, TableRecord kern) {
  PairKerning kerning;
  kerning.gpos = gpos;
  kerning.kern = kern;
  if (gpos.length != 0)
    kerning.subtables = read_gpos_kerning(TableReader(data, gpos));
  if (kerning.subtables.size == 0 && kern.length != 0)
    kerning.legacy = read_legacy_kerning(TableReader(data, kern));
  return kerning;
}

PairKerning read_sfnt_kerning(const SfntFont& font) {
  TableRecord gpos;
  TableRecord kern;
  assign_table(font, sfnt_tag("GPOS"), gpos);
  assign_table(font, sfnt_tag("kern"), kern);
  return read_pair_kerning(font.data, gpos, kern);
}

int32_t pair_kerning(ByteView data, const PairKerning& kerning, uint16_t left, uint16_t right,
                     GlyphBudget& budget) {
  if (kerning.subtables.size == 0) {
    const TableReader kern(data, kerning.kern);
    const int32_t value = legacy_kerning(kern, kerning.legacy, left, right);
    budget.spend(kWorkPerKerningRead * kern.reads);
    return value;
  }
  const TableReader gpos(data, kerning.gpos);
  int32_t total = 0;
  // Subtables are grouped by lookup: once one applies, the rest of its lookup is skipped.
  int32_t applied_lookup = -1;
  for (const PairSubtable& sub : kerning.subtables) {
    if (sub.lookup == applied_lookup)
      continue;
    int32_t value = 0;
    if (apply_subtable(gpos, sub, left, right, value)) {
      total += value;
      applied_lookup = sub.lookup;
    }
  }
  budget.spend(kWorkPerKerningRead * gpos.reads);
  return total;
}
