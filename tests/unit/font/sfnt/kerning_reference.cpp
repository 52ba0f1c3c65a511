#include "unit/font/sfnt/kerning_reference.h"

#include <algorithm>
#include <set>
#include <string>

namespace kernref {

namespace {

uint32_t tag(const char* name) {
  return uint32_t(uint8_t(name[0])) << 24 | uint32_t(uint8_t(name[1])) << 16 |
         uint32_t(uint8_t(name[2])) << 8 | uint8_t(name[3]);
}

int value_fields(uint16_t format) {
  int fields = 0;
  for (int bit = 0; bit < 8; ++bit)
    fields += (format >> bit) & 1;
  return fields;
}

} // namespace

uint16_t FontKerning::u16(size_t at) const {
  return uint16_t(font_.at(at) << 8 | font_.at(at + 1));
}

FontKerning::FontKerning(std::vector<uint8_t> font) : font_(std::move(font)) {
  size_t gpos = 0;
  size_t kern = 0;
  for (size_t i = 0; i < u16(4); ++i) {
    const size_t record = 12 + 16 * i;
    if (u32(record) == tag("GPOS"))
      gpos = u32(record + 8);
    if (u32(record) == tag("kern"))
      kern = u32(record + 8);
  }
  if (gpos != 0)
    read_gpos(gpos);
  if (lookups_.empty() && kern != 0)
    read_legacy(kern);
}

std::vector<uint16_t> FontKerning::kern_lookups(size_t script_list, size_t feature_list,
                                                const char* script) const {
  std::set<uint16_t> lookups; // ordered and unique: lookup-list order
  for (size_t i = 0; i < u16(script_list); ++i) {
    const size_t record = script_list + 2 + 6 * i;
    if (u32(record) != tag(script))
      continue;
    const size_t script_table = script_list + u16(record + 4);
    if (u16(script_table) == 0)
      break;
    const size_t language = script_table + u16(script_table);
    std::vector<uint16_t> features;
    if (u16(language + 2) != 0xFFFF)
      features.push_back(u16(language + 2));
    for (size_t f = 0; f < u16(language + 4); ++f)
      features.push_back(u16(language + 6 + 2 * f));
    for (uint16_t feature : features) {
      const size_t feature_record = feature_list + 2 + 6 * feature;
      if (feature >= u16(feature_list) || u32(feature_record) != tag("kern"))
        continue;
      const size_t feature_table = feature_list + u16(feature_record + 4);
      for (size_t l = 0; l < u16(feature_table + 2); ++l)
        lookups.insert(u16(feature_table + 4 + 2 * l));
    }
    break;
  }
  return {lookups.begin(), lookups.end()};
}

void FontKerning::read_gpos(size_t gpos) {
  gpos_ = gpos;
  const size_t script_list = gpos + u16(gpos + 4);
  const size_t feature_list = gpos + u16(gpos + 6);
  const size_t lookup_list = gpos + u16(gpos + 8);
  std::vector<uint16_t> indices = kern_lookups(script_list, feature_list, "latn");
  if (indices.empty())
    indices = kern_lookups(script_list, feature_list, "DFLT");
  for (uint16_t index : indices) {
    if (index >= u16(lookup_list))
      continue;
    const size_t lookup = lookup_list + u16(lookup_list + 2 + 2 * index);
    std::vector<size_t> subtables;
    for (size_t s = 0; s < u16(lookup + 4); ++s) {
      size_t subtable = lookup + u16(lookup + 6 + 2 * s);
      if (u16(lookup) == 9 && u16(subtable + 2) == 2)
        subtable += u32(subtable + 4);
      else if (u16(lookup) != 2)
        continue;
      subtables.push_back(subtable);
    }
    if (!subtables.empty())
      lookups_.push_back(subtables);
  }
}

void FontKerning::read_legacy(size_t kern) {
  if (u16(kern) != 0)
    return;
  size_t subtable = kern + 4;
  for (size_t s = 0; s < u16(kern + 2); ++s) {
    const uint16_t coverage = u16(subtable + 4);
    if ((coverage >> 8) == 0 && (coverage & 7) == 1) {
      std::map<uint32_t, int> values;
      for (size_t p = 0; p < u16(subtable + 6); ++p) {
        const size_t pair = subtable + 14 + 6 * p;
        values[u32(pair)] = i16(pair + 4);
      }
      for (const auto& [key, value] : values)
        legacy_[key] = (coverage & 8) != 0 ? value : legacy_[key] + value;
    }
    subtable += u16(subtable + 2);
  }
}

int FontKerning::coverage(size_t table, uint16_t glyph) const {
  const uint16_t count = u16(table + 2);
  for (size_t i = 0; i < count; ++i) {
    if (u16(table) == 1 && u16(table + 4 + 2 * i) == glyph)
      return int(i);
    const size_t range = table + 4 + 6 * i;
    if (u16(table) == 2 && u16(range) <= glyph && glyph <= u16(range + 2))
      return u16(range + 4) + glyph - u16(range);
  }
  return -1;
}

uint16_t FontKerning::glyph_class(size_t table, uint16_t glyph) const {
  if (u16(table) == 1) {
    const uint16_t start = u16(table + 2);
    return glyph >= start && glyph - start < u16(table + 4) ? u16(table + 6 + 2 * (glyph - start))
                                                            : 0;
  }
  for (size_t i = 0; i < u16(table + 2); ++i) {
    const size_t range = table + 4 + 6 * i;
    if (u16(range) <= glyph && glyph <= u16(range + 2))
      return u16(range + 4);
  }
  return 0;
}

bool FontKerning::apply(size_t subtable, uint16_t left, uint16_t right, int& value) const {
  const int index = coverage(subtable + u16(subtable + 2), left);
  if (index < 0)
    return false;
  const uint16_t format1 = u16(subtable + 4);
  const uint16_t format2 = u16(subtable + 6);
  // The x advance follows the x and y placements when those are present.
  const size_t advance_at = 2 * ((format1 & 1) + ((format1 >> 1) & 1));
  const bool has_advance = (format1 & 4) != 0;
  const size_t record_size = 2 * (value_fields(format1) + value_fields(format2));
  if (u16(subtable) == 1) {
    if (index >= u16(subtable + 8))
      return false;
    const size_t pair_set = subtable + u16(subtable + 10 + 2 * index);
    for (size_t p = 0; p < u16(pair_set); ++p) {
      const size_t record = pair_set + 2 + (2 + record_size) * p;
      if (u16(record) == right) {
        value = has_advance ? i16(record + 2 + advance_at) : 0;
        return true;
      }
    }
    return false;
  }
  const uint16_t class1 = glyph_class(subtable + u16(subtable + 8), left);
  const uint16_t class2 = glyph_class(subtable + u16(subtable + 10), right);
  const uint16_t class2_count = u16(subtable + 14);
  if (class1 >= u16(subtable + 12) || class2 >= class2_count)
    return false;
  const size_t record = subtable + 16 + record_size * (size_t(class1) * class2_count + class2);
  value = has_advance ? i16(record + advance_at) : 0;
  return true;
}

int FontKerning::pair(uint16_t left, uint16_t right) const {
  if (lookups_.empty()) {
    const auto found = legacy_.find(uint32_t(left) << 16 | right);
    return found == legacy_.end() ? 0 : found->second;
  }
  int total = 0;
  for (const std::vector<size_t>& subtables : lookups_) {
    for (size_t subtable : subtables) {
      int value = 0;
      if (apply(subtable, left, right, value)) {
        total += value;
        break;
      }
    }
  }
  return total;
}

} // namespace kernref
