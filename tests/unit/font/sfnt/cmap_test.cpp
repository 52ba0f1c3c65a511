#include <gtest/gtest.h>

#include "font/sfnt/cmap.h"
#include "support/sfnt_builder.h"
#include "unit/font/font_bytes.h"

using testfont::Bytes;
using testfont::EncodingRecord;
using testfont::FontParams;

namespace {

std::unique_ptr<TrueTypeFont> font_with_cmaps(std::vector<EncodingRecord> cmaps) {
  FontParams params;
  params.cmaps = std::move(cmaps);
  return load_font(testfont::build_font(params));
}

uint16_t map(const TrueTypeFont& font, uint32_t codepoint) {
  return map_code_point(font.data, font.cmap4, font.cmap12_groups, codepoint);
}

const Bytes kFormat4A1 = testfont::cmap_format4_for({{'A', 1}});
const Bytes kFormat4A2 = testfont::cmap_format4_for({{'A', 2}});

} // namespace

TEST(CmapLookup, Format4DeltaWrapsModulo65536) {
  const auto font = font_with_cmaps(
      {{3, 1, testfont::cmap_format4({{0x41, 0x41, 0xFFC3, 0}, {0xFFFF, 0xFFFF, 1, 0}})}});
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(map(*font, 0x41), 4);
}

TEST(CmapLookup, Format4StopsAtFirstSegmentEndingAtOrAfterCodePoint) {
  // U+0050 reaches the second segment, which starts at 0x61: a miss, the third is not tried.
  const auto font = font_with_cmaps(
      {{3, 1,
        testfont::cmap_format4({{0x20, 0x40, 1, 0}, {0x61, 0x7E, 2, 0}, {0x00, 0xFFFF, 3, 0}})}});
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(map(*font, 0x50), 0);
  EXPECT_EQ(map(*font, 0x20), 0x21);
  EXPECT_EQ(map(*font, 0x61), 0x63);
  EXPECT_EQ(map(*font, 0x7F), 0x82);
}

TEST(CmapLookup, Format4GlyphIdArray) {
  // Segment 0 (0x30..0x32) points at glyph ids [5, 0, 7] through idRangeOffset; delta 2.
  // idRangeOffset[0] sits 4 bytes (two entries) before the array.
  const Bytes table =
      testfont::cmap_format4({{0x30, 0x32, 2, 4}, {0xFFFF, 0xFFFF, 1, 0}}, {5, 0, 7});
  const auto font = font_with_cmaps({{3, 1, table}});
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(map(*font, 0x30), 7);
  EXPECT_EQ(map(*font, 0x31), 0); // a zero entry is a miss, delta not added
  EXPECT_EQ(map(*font, 0x32), 9);
}

TEST(CmapLookup, Format4RangeOffsetPastEndOfDataIsAMiss) {
  const auto font = font_with_cmaps(
      {{3, 1, testfont::cmap_format4({{0x30, 0x32, 0, 0xFFFE}, {0xFFFF, 0xFFFF, 1, 0}})}});
  ASSERT_NE(font, nullptr);
  for (uint32_t cp = 0x30; cp <= 0x32; ++cp)
    EXPECT_EQ(map(*font, cp), 0);
}

TEST(CmapLookup, ClosingSegmentFallsThroughToFormat12) {
  const auto font = font_with_cmaps(
      {{3, 1, kFormat4A1}, {3, 10, testfont::cmap_format12({{0xFFFF, 0xFFFF, 2}})}});
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(map(*font, 0xFFFF), 2);
}

TEST(CmapLookup, Format4MissFallsBackToFormat12ForBmp) {
  const auto font =
      font_with_cmaps({{3, 1, kFormat4A1}, {3, 10, testfont::cmap_format12({{0x41, 0x42, 7}})}});
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(map(*font, 0x41), 1); // format 4 wins when it maps
  EXPECT_EQ(map(*font, 0x42), 8);
}

TEST(CmapLookup, Format12Groups) {
  const auto font = font_with_cmaps(
      {{3, 10,
        testfont::cmap_format12(
            {{0x20, 0x7E, 3}, {0x1F600, 0x1F601, 65530}, {0x20000, 0x20000, 0xFFFFFFFF}})}});
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(map(*font, 0x41), 36);
  EXPECT_EQ(map(*font, 0x7F), 0);
  EXPECT_EQ(map(*font, 0x1F601), 65531);
  EXPECT_EQ(map(*font, 0x1F600 + 10), 0);
  EXPECT_EQ(map(*font, 0x20000), 0xFFFF); // the low 16 bits of the wrapped sum
}

TEST(CmapLookup, Format12KeepsLow16Bits) {
  const auto font = font_with_cmaps({{0, 4, testfont::cmap_format12({{0x100, 0x200, 65530}})}});
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(map(*font, 0x10A), 4); // 65540
}

TEST(CmapLookup, SupplementaryCodePointWithOnlyFormat4IsCachedMiss) {
  auto font = font_with_cmaps({{3, 1, kFormat4A1}});
  ASSERT_NE(font, nullptr);
  dv::unordered_map<unsigned int, unsigned short> cache;
  EXPECT_EQ(lookup_glyph_cached(font->data, font->cmap4, font->cmap12_groups, cache, 0x1F600), 0);
  ASSERT_EQ(cache.entries.size, 1u);
  EXPECT_EQ(cache.entries.data[0].first, 0x1F600u);
  EXPECT_EQ(cache.entries.data[0].second, 0);
}

TEST(CmapLookup, CachedAnswerIsReturnedWithoutSearching) {
  auto font = font_with_cmaps({{3, 1, kFormat4A1}});
  ASSERT_NE(font, nullptr);
  dv::unordered_map<unsigned int, unsigned short> cache;
  EXPECT_EQ(lookup_glyph_cached(font->data, font->cmap4, font->cmap12_groups, cache, 'A'), 1);
  cache['A'] = 9; // a search would answer 1 again
  EXPECT_EQ(lookup_glyph_cached(font->data, font->cmap4, font->cmap12_groups, cache, 'A'), 9);
  EXPECT_EQ(cache.entries.size, 1u);
}

struct SelectionCase {
  const char* name;
  std::vector<EncodingRecord> records;
  uint16_t glyph_for_a; // 0: the font must fail to load
};

class CmapSelection : public testing::TestWithParam<SelectionCase> {};

TEST_P(CmapSelection, PicksSubtable) {
  const auto font = font_with_cmaps(GetParam().records);
  if (GetParam().glyph_for_a == 0) {
    EXPECT_EQ(font, nullptr);
    return;
  }
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(map(*font, 'A'), GetParam().glyph_for_a);
}

const Bytes kGroupsA5 = testfont::cmap_format12({{'A', 'A', 5}});
const Bytes kGroupsA6 = testfont::cmap_format12({{'A', 'A', 6}});
const Bytes kGroupsNone = testfont::cmap_format12({});

Bytes format4_with_seg_count_x2(uint16_t value) {
  Bytes table = kFormat4A2;
  testfont::put_u16(table, 6, value);
  return table;
}

Bytes with_length_u16(Bytes table, uint16_t length) {
  testfont::put_u16(table, 2, length);
  return table;
}

Bytes with_length_u32(Bytes table, uint32_t length) {
  testfont::put_u32(table, 4, length);
  return table;
}

INSTANTIATE_TEST_SUITE_P(
    All, CmapSelection,
    testing::Values(
        SelectionCase{"Windows31BeforeUnicode3", {{3, 1, kFormat4A1}, {0, 3, kFormat4A2}}, 1},
        SelectionCase{"Unicode3BeforeWindows31", {{0, 3, kFormat4A2}, {3, 1, kFormat4A1}}, 1},
        SelectionCase{"LastWindows31Wins", {{3, 1, kFormat4A1}, {3, 1, kFormat4A2}}, 2},
        SelectionCase{"FirstAnyEncodingTaken", {{3, 0, kFormat4A2}, {0, 5, kFormat4A1}}, 2},
        SelectionCase{"MacPlatformIgnored", {{1, 0, kFormat4A1}, {0, 3, kFormat4A2}}, 2},
        SelectionCase{"OnlyMacPlatformFails", {{1, 0, kFormat4A1}}, 0},
        SelectionCase{"SegCountX2Odd", {{3, 1, format4_with_seg_count_x2(7)}}, 0},
        SelectionCase{"SegCountX2Zero", {{3, 1, format4_with_seg_count_x2(0)}}, 0},
        SelectionCase{"SegCountX2ArraysPastLength", {{3, 1, format4_with_seg_count_x2(8)}}, 0},
        SelectionCase{"Format4LengthBelow16", {{3, 1, with_length_u16(kFormat4A1, 15)}}, 0},
        SelectionCase{"Format4LengthPastData", {{3, 1, with_length_u16(kFormat4A1, 0xFFF0)}}, 0},
        SelectionCase{
            "RecordPointingAtHeaderSkipped", {{3, 1, kFormat4A1, 0}, {3, 1, kFormat4A2}}, 2},
        SelectionCase{"Format12Later10Replaces", {{3, 10, kGroupsA5}, {0, 4, kGroupsA6}}, 6},
        SelectionCase{"Format12LaterOtherKept", {{3, 10, kGroupsA5}, {0, 3, kGroupsA6}}, 5},
        SelectionCase{"Format12LengthBelow16", {{3, 10, with_length_u32(kGroupsA5, 15)}}, 0},
        SelectionCase{"Format12LengthPastData", {{3, 10, with_length_u32(kGroupsA5, 0x10000)}}, 0},
        SelectionCase{
            "Format12NoGroupsEmptiesEarlierOnes", {{0, 4, kGroupsA5}, {3, 10, kGroupsNone}}, 0}),
    [](const testing::TestParamInfo<SelectionCase>& case_info) { return case_info.param.name; });

TEST(CmapSelection, RecordOffsetEqualToCmapLengthIsSkipped) {
  FontParams params;
  params.cmaps = {{3, 1, kFormat4A1}};
  Bytes bytes = testfont::build_font(params);
  const auto cmap = testfont::find_table(bytes, "cmap");
  testfont::put_u32(bytes, cmap.offset + 4 + 4, cmap.length);
  EXPECT_EQ(load_font(bytes), nullptr);
  testfont::put_u32(bytes, cmap.offset + 4 + 4, 12);
  EXPECT_NE(load_font(bytes), nullptr);
}

TEST(CmapSelection, Format12GroupsMeasuredAgainstFontDataNotSubtableLength) {
  // numGroups says 2 but the subtable length covers one: the groups still fit in the data
  // (the cmap table is followed by other tables), so both are taken.
  Bytes table = testfont::cmap_format12({{'A', 'A', 5}, {'B', 'B', 6}});
  testfont::put_u32(table, 4, 28);
  const auto font = font_with_cmaps({{3, 10, table}});
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->cmap12_groups.size, 2u);
  // numGroups running past the end of the data skips the subtable.
  testfont::put_u32(table, 12, 0x10000000);
  EXPECT_EQ(font_with_cmaps({{3, 10, table}}), nullptr);
}
