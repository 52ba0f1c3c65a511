#include "truetype_facts.h"

#include <string>

namespace dvttf_info {
namespace {

constexpr uint32_t kLastCodePoint = 0x10FFFF;
constexpr uint32_t kLastBmpCodePoint = 0xFFFF;

struct MappedCounts {
  uint32_t bmp = 0;
  uint32_t beyond = 0;
  uint32_t past_glyph_count = 0; // mapped to a glyph index the font does not have
};

MappedCounts count_mapped(const SfntFont& font) {
  MappedCounts counts;
  const uint32_t last = font.cmap12_groups.size == 0 ? kLastBmpCodePoint : kLastCodePoint;
  for (uint32_t codepoint = 0; codepoint <= last; ++codepoint) {
    const uint16_t glyph = map_code_point(font.data, font.cmap4, font.cmap12_groups, codepoint);
    if (glyph == 0) {
      continue;
    }
    ++(codepoint <= kLastBmpCodePoint ? counts.bmp : counts.beyond);
    if (glyph >= font.num_glyphs) {
      ++counts.past_glyph_count;
    }
  }
  return counts;
}

struct EncodingRecord {
  uint16_t platform;
  uint16_t encoding;
  uint64_t subtable; // absolute offset
};

dv::vector<EncodingRecord> encoding_records(const SfntFont& font) {
  dv::vector<EncodingRecord> records;
  const TableRecord& cmap = font.cmap;
  if (!has_bytes(font.data, cmap.offset, 4)) {
    return records;
  }
  const uint16_t count = read_u16_be(font.data, uint64_t{cmap.offset} + 2);
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t at = uint64_t{cmap.offset} + 4 + 8 * i;
    if (!has_bytes(font.data, at, 8)) {
      break;
    }
    records.push_back(EncodingRecord{read_u16_be(font.data, at), read_u16_be(font.data, at + 2),
                                     uint64_t{cmap.offset} + read_u32_be(font.data, at + 4)});
  }
  return records;
}

// True when the groups the font chose are the format-12 subtable's at `subtable`.
bool holds_groups(const SfntFont& font, uint64_t subtable) {
  return has_bytes(font.data, subtable, 16) && read_u16_be(font.data, subtable) == 12 &&
         read_u32_be(font.data, subtable + 12) == font.cmap12_groups.size &&
         subtable + 16 == font.cmap12_groups.offset;
}

// "platform/encoding" of every record naming the chosen subtable.
std::string chosen_records(const SfntFont& font, bool format12) {
  std::string names;
  const dv::vector<EncodingRecord> records = encoding_records(font);
  for (uint64_t i = 0; i < records.size; ++i) {
    const EncodingRecord& record = records.data[i];
    const bool chosen =
        format12 ? holds_groups(font, record.subtable) : record.subtable == font.cmap4.offset;
    if (chosen && (record.platform == 0 || record.platform == 3)) {
      names += (names.empty() ? "" : ", ") + std::to_string(record.platform) + "/" +
               std::to_string(record.encoding);
    }
  }
  return names;
}

} // namespace

void print_truetype_facts(const SfntFont& font, FILE* out) {
  std::fprintf(out, "units per em: %u\n", font.units_per_em);
  std::fprintf(out, "ascent: %d\n", font.ascent);
  std::fprintf(out, "descent: %d (below the baseline)\n", font.descent);
  std::fprintf(out, "line gap: %d\n", font.line_gap);
  std::fprintf(out, "glyphs: %u\n", font.num_glyphs);
  if (font.cmap4.valid) {
    std::fprintf(out, "cmap format 4 (platform/encoding %s): %u segments\n",
                 chosen_records(font, false).c_str(), font.cmap4.seg_count);
  }
  if (font.cmap12_groups.size != 0) {
    std::fprintf(out, "cmap format 12 (platform/encoding %s): %u groups\n",
                 chosen_records(font, true).c_str(), font.cmap12_groups.size);
  }
  const MappedCounts counts = count_mapped(font);
  std::fprintf(out, "mapped code points: %u (BMP %u, beyond the BMP %u)\n",
               counts.bmp + counts.beyond, counts.bmp, counts.beyond);
  if (counts.past_glyph_count != 0) {
    std::fprintf(out, "mapped past the glyph count (drawn blank): %u\n", counts.past_glyph_count);
  }
}

} // namespace dvttf_info
