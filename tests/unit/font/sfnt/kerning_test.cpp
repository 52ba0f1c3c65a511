// The kerning reader on tables written by the test-side GPOS builder: each format, the
// rules that decide which subtable and which lookups apply, the legacy table, the limits,
// and hostile data (every truncation and byte change of a valid table).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "font/sfnt/kerning.h"
#include "support/gpos_builder.h"

namespace {

using testfont::Bytes;
using testfont::GposLookup;
using testfont::PairLayout;

constexpr uint16_t A = 1, V = 2, W = 3, o = 4, T = 5;

// The font data holds the GPOS table, then the kern table.
struct Tables {
  dv::vector<unsigned char> data;
  PairKerning kerning;

  Tables(const Bytes& gpos, const Bytes& kern = {}) {
    Bytes all = gpos;
    all.insert(all.end(), kern.begin(), kern.end());
    data = dv::vector<unsigned char>(all.data(), all.data() + all.size());
    kerning = read_pair_kerning(data, TableRecord{0, uint32_t(gpos.size())},
                                TableRecord{uint32_t(gpos.size()), uint32_t(kern.size())});
  }
  int32_t pair(uint16_t left, uint16_t right) const {
    GlyphBudget budget = GlyphBudget::unlimited();
    return pair_kerning(data, kerning, left, right, budget);
  }
  // What finding the pair's kerning took from the budget.
  uint64_t work(uint16_t left, uint16_t right) const {
    GlyphBudget budget = GlyphBudget::unlimited();
    pair_kerning(data, kerning, left, right, budget);
    return GlyphBudget::unlimited().work - budget.work;
  }
};

Bytes glyph_pairs(const PairLayout& layout = {}) {
  return testfont::pair_pos_glyphs({{A, {{V, -80}, {W, -60}}}, {T, {{o, -120}}}}, layout);
}

Bytes class_pairs(const PairLayout& layout = {}) {
  // Classes: A and T first-class 1 and 2; V, W second-class 1, o second-class 2.
  return testfont::pair_pos_classes({A, T}, {{A, 1}, {T, 2}}, {{V, 1}, {W, 1}, {o, 2}},
                                    {{0, 0, 0}, {0, -70, -5}, {0, -15, -110}}, layout);
}

struct LayoutCase {
  const char* name;
  PairLayout layout;
};

const LayoutCase kLayouts[] = {
    {"coverage list, class ranges", {1, 2, false, false}},
    {"coverage ranges, class array", {2, 1, false, false}},
    {"placements and second records", {1, 2, true, true}},
    {"ranges, array, placements", {2, 1, true, false}},
};

TEST(Kerning, EveryStorageFormatGivesTheFirstRecordsXAdvance) {
  for (const LayoutCase& c : kLayouts) {
    const Tables glyphs(testfont::gpos_table({{{glyph_pairs(c.layout)}}}, {0}));
    EXPECT_EQ(glyphs.pair(A, V), -80) << c.name;
    EXPECT_EQ(glyphs.pair(A, W), -60) << c.name;
    EXPECT_EQ(glyphs.pair(T, o), -120) << c.name;
    EXPECT_EQ(glyphs.pair(A, o), 0) << c.name;
    EXPECT_EQ(glyphs.pair(V, A), 0) << c.name;
    const Tables classes(testfont::gpos_table({{{class_pairs(c.layout)}}}, {0}));
    EXPECT_EQ(classes.pair(A, V), -70) << c.name;
    EXPECT_EQ(classes.pair(A, W), -70) << c.name;
    EXPECT_EQ(classes.pair(A, o), -5) << c.name;
    EXPECT_EQ(classes.pair(T, o), -110) << c.name;
    EXPECT_EQ(classes.pair(T, A), 0) << c.name; // A is in no second class: class 0
    EXPECT_EQ(classes.pair(o, V), 0) << c.name; // o is not covered
  }
}

// Within a lookup the first subtable that applies decides: a glyph-pair subtable that
// covers the first glyph but lists no pair for the second passes the pair on; a
// class-pair subtable that covers the first glyph keeps it, even for class pair value 0.
TEST(Kerning, FirstApplyingSubtableOfEachLookup) {
  const Bytes fallback = testfont::pair_pos_glyphs({{A, {{V, -99}, {o, -33}}}});
  const Tables glyphs_first(testfont::gpos_table({{{glyph_pairs(), fallback}}}, {0}));
  EXPECT_EQ(glyphs_first.pair(A, V), -80); // the first subtable applies
  EXPECT_EQ(glyphs_first.pair(A, o), -33); // it lacks A o: the next one applies
  const Tables classes_first(testfont::gpos_table({{{class_pairs(), fallback}}}, {0}));
  EXPECT_EQ(classes_first.pair(A, V), -70);
  EXPECT_EQ(classes_first.pair(A, o), -5);
  const Bytes zero_class = testfont::pair_pos_classes({A}, {}, {}, {{0}});
  const Tables zero_first(testfont::gpos_table({{{zero_class, fallback}}}, {0}));
  EXPECT_EQ(zero_first.pair(A, V), 0);
  EXPECT_EQ(zero_first.pair(A, o), 0);
}

// Every kern lookup applies, in lookup-list order and each once, and their values add;
// lookups the feature does not name, and lookups of other types, do not.
TEST(Kerning, KernLookupsAddUp) {
  const GposLookup first{{glyph_pairs()}};
  const GposLookup second{{testfont::pair_pos_glyphs({{A, {{V, -5}}}})}};
  const GposLookup other_type{{glyph_pairs()}, false, 1};
  EXPECT_EQ(Tables(testfont::gpos_table({first, second}, {1, 0, 1})).pair(A, V), -85);
  EXPECT_EQ(Tables(testfont::gpos_table({first, second}, {1})).pair(A, V), -5);
  EXPECT_EQ(Tables(testfont::gpos_table({other_type, second}, {0, 1})).pair(A, V), -5);
  EXPECT_EQ(Tables(testfont::gpos_table({first, second}, {7})).pair(A, V), 0);
}

TEST(Kerning, ExtensionLookupsLeadToPairSubtables) {
  const Tables extended(testfont::gpos_table({{{glyph_pairs(), class_pairs()}, true}}, {0}));
  EXPECT_EQ(extended.pair(A, V), -80);
  EXPECT_EQ(extended.pair(T, V), -15);
  const GposLookup extended_other{{glyph_pairs()}, true, 4};
  EXPECT_EQ(Tables(testfont::gpos_table({extended_other}, {0})).pair(A, V), 0);
}

// latn's kerning, else DFLT's; other scripts are not read.
TEST(Kerning, LatinOrDefaultScript) {
  const std::vector<GposLookup> lookups{{{glyph_pairs()}}};
  EXPECT_EQ(Tables(testfont::gpos_table(lookups, {0}, "DFLT")).pair(A, V), -80);
  EXPECT_EQ(Tables(testfont::gpos_table(lookups, {0}, "latn")).pair(A, V), -80);
  const Tables cyrillic(testfont::gpos_table(lookups, {0}, "cyrl"));
  EXPECT_TRUE(cyrillic.kerning.empty());
  EXPECT_EQ(cyrillic.pair(A, V), 0);
}

// The legacy table counts only when GPOS kerns nothing: its horizontal format-0
// subtables add up (override replaces), minimum and cross-stream ones are skipped.
TEST(Kerning, LegacyTableWhenGposKernsNothing) {
  const Bytes kern = testfont::kern_table({{{{A, V, -40}, {T, o, -90}}},
                                           {{{A, V, -2}}},
                                           {{{A, V, -1000}}, 1 | 2},
                                           {{{A, V, -1000}}, 1 | 4},
                                           {{{T, o, -50}}, 1 | 8}});
  const Tables legacy_only({}, kern);
  EXPECT_EQ(legacy_only.pair(A, V), -42);
  EXPECT_EQ(legacy_only.pair(T, o), -50);
  EXPECT_EQ(legacy_only.pair(V, A), 0);
  const Tables no_gpos_kerning(testfont::gpos_table({{{glyph_pairs()}}}, {}), kern);
  EXPECT_EQ(no_gpos_kerning.pair(A, V), -42);
  const Tables gpos_kerning(testfont::gpos_table({{{glyph_pairs()}}}, {0}), kern);
  EXPECT_EQ(gpos_kerning.pair(A, V), -80);
  EXPECT_EQ(gpos_kerning.pair(T, o), -120);
}

// Subtables past the limit are ignored, so a pair's work stays bounded.
TEST(Kerning, SubtablesPastTheLimitAreIgnored) {
  GposLookup many;
  for (uint32_t i = 0; i < kMaxKerningSubtables; ++i)
    many.subtables.push_back(testfont::pair_pos_glyphs({{uint16_t(100 + i), {{V, -1}}}}));
  many.subtables.push_back(glyph_pairs());
  const Tables limited(testfont::gpos_table({many}, {0}));
  EXPECT_EQ(limited.kerning.subtables.size, kMaxKerningSubtables);
  EXPECT_EQ(limited.pair(100, V), -1);
  EXPECT_EQ(limited.pair(A, V), 0);
  // What a pair costs is counted: every subtable's coverage searched, none applying.
  EXPECT_GE(limited.work(A, V), kWorkPerKerningRead * 3 * kMaxKerningSubtables);
  EXPECT_LT(limited.work(A, V), kWorkPerKerningRead * 40 * kMaxKerningSubtables);
}

// Unsorted pairs are searched without reading outside the table: some answer, no crash.
TEST(Kerning, UnsortedDataStaysInside) {
  const Bytes unsorted =
      testfont::pair_pos_glyphs({{A, {{W, -60}, {V, -80}, {o, -1}, {A, -2}, {T, -3}}}});
  const Tables tables(testfont::gpos_table({{{unsorted}}}, {0}));
  for (uint16_t right : {A, V, W, o, T, uint16_t(0xFFFF)})
    tables.pair(A, right);
}

// Every prefix of valid tables, and every single byte of them set to 0xFF or 0x00, reads
// without leaving the data (the sanitizer builds check every access) and answers.
TEST(Kerning, TruncatedAndCorruptedTables) {
  const Bytes gpos = testfont::gpos_table(
      {{{glyph_pairs({2, 1, true, true}), class_pairs({1, 1, false, true})}, true},
       {{class_pairs()}}},
      {0, 1});
  const Bytes kern = testfont::kern_table({{{{A, V, -40}, {T, o, -90}}}});
  for (const Bytes* table : {&gpos, &kern}) {
    for (size_t length = 0; length <= table->size(); ++length) {
      const Bytes prefix(table->begin(), table->begin() + length);
      const Tables tables(table == &gpos ? prefix : Bytes{}, table == &kern ? prefix : Bytes{});
      tables.pair(A, V);
      tables.pair(T, o);
    }
    for (size_t at = 0; at < table->size(); ++at) {
      for (uint8_t value : {0x00, 0xFF}) {
        Bytes changed = *table;
        changed[at] = value;
        const Tables tables(table == &gpos ? changed : Bytes{}, table == &kern ? changed : Bytes{});
        tables.pair(A, V);
        tables.pair(T, o);
        tables.pair(0xFFFF, 0xFFFF);
      }
    }
  }
}

} // namespace
