#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "font/backend.h"
#include "font/truetype/backend.h"
#include "support/sfnt_builder.h"
#include "unit/font/font_bytes.h"

using testfont::Bytes;
using testfont::FontParams;

namespace {

bool loads(const Bytes& bytes) {
  return load_font(bytes) != nullptr;
}

std::unique_ptr<FontBackend> backend_for(const Bytes& bytes) {
  std::unique_ptr<FontBackend> backend(make_truetype_backend());
  if (!backend->load(dv_bytes(bytes)))
    return nullptr;
  return backend;
}

Bytes with_u16(Bytes bytes, size_t offset, uint16_t value) {
  testfont::put_u16(bytes, offset, value);
  return bytes;
}

size_t table_offset(const Bytes& font, const char* tag) {
  return testfont::find_table(font, tag).offset;
}

} // namespace

TEST(TrueTypeLoad, BuilderFontLoads) {
  const auto font = load_font(testfont::build_font({}));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->units_per_em, 1000);
  EXPECT_EQ(font->num_glyphs, 3);
  EXPECT_EQ(font->num_hmetrics, 3);
  EXPECT_EQ(glyph_offset(*font, 3), font->glyf.length);
  EXPECT_TRUE(font->cmap4.valid);
}

struct LoadCase {
  const char* name;
  std::function<Bytes()> make;
  bool loads;
};

class TrueTypeLoadCases : public testing::TestWithParam<LoadCase> {};

TEST_P(TrueTypeLoadCases, Result) {
  EXPECT_EQ(loads(GetParam().make()), GetParam().loads);
}

const Bytes kGood = testfont::build_font({});

Bytes twelve_bytes(uint32_t version) {
  testfont::ByteWriter out;
  out.u32(version).u16(0).u16(0).u16(0).u16(0);
  return out.bytes();
}

Bytes without(const char* tag) {
  FontParams params;
  params.omit_tables = {tag};
  return testfont::build_font(params);
}

Bytes font_with(std::function<void(FontParams&)> change) {
  FontParams params;
  change(params);
  return testfont::build_font(params);
}

// A table appended to the directory with the given offset and length.
Bytes with_extra_record(int64_t offset, int64_t length) {
  auto tables = testfont::font_tables({});
  tables.push_back({"name", Bytes(8, 0), offset, length});
  return testfont::sfnt_file(tables);
}

// The font with `tag` moved to the very end of the file, cut to `available` bytes.
Bytes with_table_at_end(const char* tag, size_t available, int64_t stated_length = -1) {
  auto tables = testfont::font_tables({});
  testfont::TableEntry moved;
  for (auto it = tables.begin(); it != tables.end(); ++it) {
    if (it->tag == tag) {
      moved = *it;
      tables.erase(it);
      break;
    }
  }
  moved.data.resize(available);
  moved.length_override = stated_length;
  tables.push_back(moved);
  Bytes bytes = testfont::sfnt_file(tables);
  bytes.resize(testfont::find_table(bytes, tag).offset + available);
  return bytes;
}

// The font whose last loca entry (the end of the last glyph) is the glyf length plus `extra`.
Bytes with_last_loca_beyond_glyf(int extra) {
  FontParams params;
  params.index_to_loc_format = 1;
  Bytes bytes = testfont::build_font(params);
  const auto glyf = testfont::find_table(bytes, "glyf");
  const size_t last_entry = table_offset(bytes, "loca") + 4 * 3;
  testfont::put_u32(bytes, last_entry, glyf.length + static_cast<uint32_t>(extra));
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    All, TrueTypeLoadCases,
    testing::Values(
        LoadCase{"ElevenBytes", [] { return Bytes(kGood.begin(), kGood.begin() + 11); }, false},
        LoadCase{"EmptyDirectoryMissesCmap", [] { return twelve_bytes(0x00010000); }, false},
        LoadCase{"VersionOtto", [] { return with_u16(kGood, 0, 0x4F54); }, false},
        LoadCase{"VersionTrue",
                 [] { return font_with([](FontParams& s) { s.version = 0x74727565; }); }, true},
        LoadCase{"VersionTtcf",
                 [] { return font_with([](FontParams& s) { s.version = 0x74746366; }); }, false},
        LoadCase{"DirectoryPastEnd", [] { return with_u16(kGood, 4, 0x0FFF); }, false},
        LoadCase{"UnusedTablePastEnd", [] { return with_extra_record(0, 0x7FFFFFFF); }, false},
        LoadCase{"UnusedTableOffsetPastEnd", [] { return with_extra_record(0xFFFFFFF0, 0); },
                 false},
        LoadCase{"UnusedTableEndingAtEnd", [] { return with_extra_record(kGood.size() - 8, 8); },
                 true},
        LoadCase{"MissingCmap", [] { return without("cmap"); }, false},
        LoadCase{"MissingGlyf", [] { return without("glyf"); }, false},
        LoadCase{"MissingLoca", [] { return without("loca"); }, false},
        LoadCase{"MissingHead", [] { return without("head"); }, false},
        LoadCase{"MissingHhea", [] { return without("hhea"); }, false},
        LoadCase{"MissingHmtx", [] { return without("hmtx"); }, false},
        LoadCase{"MissingMaxp", [] { return without("maxp"); }, false},
        LoadCase{"HeadShort", [] { return with_table_at_end("head", 53); }, false},
        LoadCase{"HeadStatedShortButDataLongEnough",
                 [] { return with_table_at_end("head", 54, 36); }, true},
        LoadCase{"HheaShort", [] { return with_table_at_end("hhea", 35); }, false},
        LoadCase{"MaxpShort", [] { return with_table_at_end("maxp", 5); }, false},
        LoadCase{"MaxpSixBytes", [] { return with_table_at_end("maxp", 6); }, true},
        LoadCase{"UnitsPerEmZero",
                 [] { return font_with([](FontParams& s) { s.units_per_em = 0; }); }, false},
        LoadCase{"NumGlyphsZero",
                 [] { return with_u16(kGood, table_offset(kGood, "maxp") + 4, 0); }, false},
        LoadCase{"NumHMetricsZero",
                 [] { return with_u16(kGood, table_offset(kGood, "hhea") + 34, 0); }, false},
        LoadCase{"ShortLocaTooShort", [] { return with_table_at_end("loca", 7); }, false},
        LoadCase{"ShortLocaExact", [] { return with_table_at_end("loca", 8); }, true},
        LoadCase{"LongLocaTooShort",
                 [] {
                   Bytes bytes = with_table_at_end("loca", 15);
                   return with_u16(bytes, table_offset(bytes, "head") + 50, 1);
                 },
                 false},
        LoadCase{"LocaEntryAtGlyfEnd", [] { return with_last_loca_beyond_glyf(0); }, true},
        LoadCase{"LocaEntryPastGlyfEnd", [] { return with_last_loca_beyond_glyf(1); }, false},
        LoadCase{"CmapHeaderPastEnd", [] { return with_table_at_end("cmap", 3); }, false},
        LoadCase{"CmapRecordsPastEnd", [] { return with_table_at_end("cmap", 11); }, false},
        LoadCase{"CmapOnlyFormat6",
                 [] {
                   return font_with([](FontParams& s) {
                     testfont::ByteWriter format6;
                     format6.u16(6).u16(12).u16(0).u16(0x41).u16(1).u16(1);
                     s.cmaps = {{3, 1, format6.bytes()}};
                   });
                 },
                 false}),
    [](const testing::TestParamInfo<LoadCase>& case_info) { return case_info.param.name; });

TEST(TrueTypeLoad, LastDirectoryRecordForATagWins) {
  auto tables = testfont::font_tables({});
  FontParams second;
  second.units_per_em = 2048;
  for (const auto& t : testfont::font_tables(second))
    if (t.tag == "head")
      tables.push_back(t);
  const auto font = load_font(testfont::sfnt_file(tables));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->units_per_em, 2048);
}

TEST(TrueTypeLoad, ShortLocaEntriesAreDoubled) {
  Bytes bytes = kGood;
  const size_t loca = table_offset(bytes, "loca");
  testfont::put_u16(bytes, loca + 2, 0x0010);
  const auto font = load_font(bytes);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(glyph_offset(*font, 1), 32u);
}

TEST(TrueTypeLoad, AnyNonZeroLocFormatMeansLongEntries) {
  FontParams params;
  params.index_to_loc_format = 1;
  Bytes bytes = testfont::build_font(params);
  testfont::put_u16(bytes, table_offset(bytes, "head") + 50, 2);
  testfont::put_u32(bytes, table_offset(bytes, "loca") + 4, 36);
  const auto font = load_font(bytes);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(glyph_offset(*font, 1), 36u);
}

TEST(TrueTypeLoad, GlyphOffsetsNeedNotAscend) {
  Bytes bytes = kGood;
  testfont::put_u16(bytes, table_offset(bytes, "loca") + 2, 0); // glyph 0 now ends at 0
  testfont::put_u16(bytes, table_offset(bytes, "loca") + 4, 2);
  EXPECT_TRUE(loads(bytes));
}

struct MetricsCase {
  int16_t ascender, descender, line_gap;
  double ascent, descent, gap;
};

class TrueTypeMetrics : public testing::TestWithParam<MetricsCase> {};

TEST_P(TrueTypeMetrics, SignsAndClamps) {
  const MetricsCase& c = GetParam();
  FontParams params;
  params.units_per_em = 2048;
  params.ascender = c.ascender;
  params.descender = c.descender;
  params.line_gap = c.line_gap;
  const auto backend = backend_for(testfont::build_font(params));
  ASSERT_NE(backend, nullptr);
  EXPECT_EQ(backend->units_per_em(), 2048.0);
  EXPECT_EQ(backend->ascent(), c.ascent);
  EXPECT_EQ(backend->descent(), c.descent);
  EXPECT_EQ(backend->line_gap(), c.gap);
  EXPECT_EQ(backend->metric_rounding(), 0);
}

INSTANTIATE_TEST_SUITE_P(All, TrueTypeMetrics,
                         testing::Values(MetricsCase{1900, -200, 67, 1900, 200, 67},
                                         MetricsCase{-3, 10, -5, -3, 0, 0},
                                         MetricsCase{32767, -32768, 0, 32767, 0, 0},
                                         MetricsCase{-32768, 32767, 32767, -32768, 0, 32767},
                                         MetricsCase{0, -32767, 1, 0, 32767, 1}));

TEST(TrueTypeLoad, DescenderMinus32768StaysNegative) {
  FontParams params;
  params.descender = -32768;
  const auto font = load_font(testfont::build_font(params));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->descent, -32768);
}

TEST(TrueTypeLoad, KeepsItsOwnCopyOfTheData) {
  TrueTypeFont font;
  {
    dv::vector<unsigned char> bytes = dv_bytes(kGood);
    ASSERT_TRUE(load_truetype_font(font, bytes));
    for (size_t i = 0; i < bytes.size; ++i)
      bytes.data[i] = 0xAA;
  }
  EXPECT_EQ(map_code_point(font.data, font.cmap4, font.cmap12_groups, 'A'), 1);
}
