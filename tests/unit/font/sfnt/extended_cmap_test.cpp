// Character map formats 0, 13 and 14, read only with the extended loaders' character-map
// option: what each maps, that fonts with nothing else load only with the option, and
// variation sequences through a render.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "font/entry_points.h"
#include "font/load_options.h"
#include "font/sfnt/extended_cmap.h"
#include "font/text/image.h"
#include "support/sfnt_builder.h"
#include "unit/font/font_bytes.h"

using testfont::Bytes;
using testfont::EncodingRecord;

namespace {

// Glyph 1 a wide box, glyph 3 a narrow one, glyph 2 empty (the builder's defaults).
Bytes font_with_cmaps(std::vector<EncodingRecord> cmaps) {
  testfont::FontParams params;
  params.glyphs = {{testfont::simple_glyph({testfont::box(50, 0, 450, 700)}), 500, 50},
                   {testfont::simple_glyph({testfont::box(50, 0, 650, 700)}), 700, 50},
                   {{}, 300, 0},
                   {testfont::simple_glyph({testfont::box(100, 0, 200, 400)}), 300, 100}};
  params.cmaps = std::move(cmaps);
  return testfont::build_font(params);
}

std::unique_ptr<TrueTypeFont> load_extended(const Bytes& bytes) {
  auto font = std::make_unique<TrueTypeFont>();
  font->reads_extended_cmaps = true;
  if (!load_truetype_font(*font, dv_bytes(bytes)))
    return nullptr;
  return font;
}

uint16_t map(const TrueTypeFont& font, uint32_t codepoint) {
  const uint16_t glyph = map_code_point(font.data, font.cmap4, font.cmap12_groups, codepoint);
  return glyph != 0 ? glyph : map_extended(font.data, font.extended_cmaps, codepoint);
}

std::vector<uint8_t> glyphs_at(std::vector<std::pair<uint8_t, uint8_t>> codes) {
  std::vector<uint8_t> glyphs(256, 0);
  for (const auto& [code, glyph] : codes)
    glyphs[code] = glyph;
  return glyphs;
}

struct MappingCase {
  const char* name;
  std::vector<EncodingRecord> cmaps;
  std::vector<std::pair<uint32_t, uint16_t>> expected; // code point, glyph (0: unmapped)
};

class ExtendedCmapMapping : public testing::TestWithParam<MappingCase> {};

TEST_P(ExtendedCmapMapping, MapsEachCodePointAsTheSubtableSays) {
  const auto font = load_extended(font_with_cmaps(GetParam().cmaps));
  ASSERT_NE(font, nullptr);
  for (const auto& [codepoint, glyph] : GetParam().expected)
    EXPECT_EQ(map(*font, codepoint), glyph) << std::hex << "U+" << codepoint;
}

Bytes format13_with_too_many_groups() {
  Bytes table = testfont::cmap_format13({{0x42, 0x42, 1}});
  testfont::put_u32(table, 12, 0x10000000);
  return table;
}

const Bytes kMacRoman = testfont::cmap_format0(glyphs_at({{'A', 1}, {0x80, 3}, {0xDB, 2}}));

INSTANTIATE_TEST_SUITE_P(
    All, ExtendedCmapMapping,
    testing::Values(
        // Mac Roman byte 0x80 is U+00C4, 0xDB the euro sign; U+0080 is no Mac Roman byte.
        MappingCase{"MacRoman",
                    {{1, 0, kMacRoman}},
                    {{'A', 1}, {0xC4, 3}, {0x20AC, 2}, {0x80, 0}, {0xDB, 0}, {0x141, 0}}},
        // Format 0 under a Unicode platform maps code points 0-255 directly.
        MappingCase{"Format0Unicode", {{3, 1, kMacRoman}}, {{'A', 1}, {0x80, 3}, {0xC4, 0}}},
        MappingCase{
            "OtherMacintoshEncodingIgnored", {{1, 1, kMacRoman}, {1, 0, kMacRoman}}, {{'A', 1}}},
        MappingCase{"Format13RangesShareOneGlyph",
                    {{3, 10, testfont::cmap_format13({{0x41, 0x5A, 1}, {0x4E00, 0x9FFF, 3}})}},
                    {{0x40, 0}, {0x41, 1}, {0x5A, 1}, {0x4E00, 3}, {0x7000, 3}, {0xA000, 0}}},
        // Formats 4 and 12 come first; the others fill in what they miss.
        MappingCase{"Format4BeforeFormat13",
                    {{3, 1, testfont::cmap_format4_for({{'A', 3}})},
                     {3, 10, testfont::cmap_format13({{0x41, 0x42, 1}})}},
                    {{'A', 3}, {'B', 1}}},
        MappingCase{"Format13GroupsPastTheDataIgnored",
                    {{3, 1, testfont::cmap_format4_for({{'A', 3}})},
                     {3, 10, format13_with_too_many_groups()}},
                    {{'A', 3}, {'B', 0}}}),
    [](const auto& test) { return std::string(test.param.name); });

// The standard loader's choice stays: a font mapping only through these formats is refused
// without the option and loads with it.
TEST(ExtendedCmapLoading, FontsWithOnlyTheNewFormatsNeedTheOption) {
  for (const EncodingRecord& record :
       {EncodingRecord{1, 0, kMacRoman},
        EncodingRecord{3, 10, testfont::cmap_format13({{0x41, 0x41, 1}})}}) {
    const Bytes bytes = font_with_cmaps({record});
    EXPECT_EQ(dv::dv_ttf_font_load_memory(bytes.data(), bytes.size(), 20.0f), nullptr);
    EXPECT_EQ(
        dv::dv_ttf_font_load_memory_ex(bytes.data(), bytes.size(), 20.0f, load_option::kKerning),
        nullptr);
    void* font = dv::dv_ttf_font_load_memory_ex(bytes.data(), bytes.size(), 20.0f,
                                                load_option::kExtendedCmaps);
    ASSERT_NE(font, nullptr);
    dv::dv_ttf_font_free(font);
  }
}

// Selectors VS1 (U+FE00) and VS17 (U+E0100): U+4E08 is a default sequence under VS1 and
// maps to glyph 3 under VS17; U+4E09 maps to glyph 2 under VS1.
const Bytes kFormat14 = testfont::cmap_format14(
    {{0xFE00, {{0x4E00, 8}}, {{0x4E09, 2}}}, {0xE0100, {}, {{0x4E08, 3}, {0x4E0A, 1}}}});

TEST(ExtendedCmapSequences, DefaultAndNonDefaultSequences) {
  const auto font = load_extended(
      font_with_cmaps({{3, 1, testfont::cmap_format4_for({{'A', 1}})}, {0, 5, kFormat14}}));
  ASSERT_NE(font, nullptr);
  struct Case {
    uint32_t base, selector;
    SequenceMapping mapping;
    uint16_t glyph;
  };
  for (const Case& c : {Case{0x4E08, 0xFE00, SequenceMapping::kDefault, 0},
                        Case{0x4E00, 0xFE00, SequenceMapping::kDefault, 0},
                        Case{0x4E09, 0xFE00, SequenceMapping::kGlyph, 2},
                        Case{0x4E0A, 0xFE00, SequenceMapping::kNone, 0},
                        Case{0x4E08, 0xE0100, SequenceMapping::kGlyph, 3},
                        Case{0x4E0A, 0xE0100, SequenceMapping::kGlyph, 1},
                        Case{0x4E09, 0xE0100, SequenceMapping::kNone, 0},
                        Case{0x4E08, 0xFE01, SequenceMapping::kNone, 0}}) {
    uint16_t glyph = 0;
    EXPECT_EQ(map_variation_sequence(font->data, font->extended_cmaps, c.base, c.selector, glyph),
              c.mapping)
        << std::hex << c.base << " " << c.selector;
    if (c.mapping == SequenceMapping::kGlyph)
      EXPECT_EQ(glyph, c.glyph);
  }
}

// Offsets and counts that point past the subtable find nothing and read nothing outside.
TEST(ExtendedCmapSequences, TablesPastTheSubtableFindNothing) {
  Bytes broken = kFormat14;
  testfont::put_u32(broken, 10 + 3, 0xFFFFFF00);      // VS1's default table
  testfont::put_u32(broken, 10 + 11 + 7, 0x7FFFFFF0); // VS17's mappings
  Bytes counted = kFormat14;
  testfont::put_u32(counted, 2, 0xFFFFFFF0); // the subtable's length past the data
  for (const Bytes& subtable : {broken, counted}) {
    const auto font = load_extended(
        font_with_cmaps({{3, 1, testfont::cmap_format4_for({{'A', 1}})}, {0, 5, subtable}}));
    ASSERT_NE(font, nullptr);
    uint16_t glyph = 0;
    EXPECT_EQ(map_variation_sequence(font->data, font->extended_cmaps, 0x4E08, 0xFE00, glyph),
              SequenceMapping::kNone);
    EXPECT_EQ(map_variation_sequence(font->data, font->extended_cmaps, 0x4E08, 0xE0100, glyph),
              SequenceMapping::kNone);
  }
}

// Renders through the entry points, pixel for pixel.
class SequenceRender : public testing::Test {
protected:
  void SetUp() override {
    bytes_ = font_with_cmaps(
        {{3, 1, testfont::cmap_format4_for({{'A', 1}, {'B', 3}})},
         {0, 5,
          testfont::cmap_format14({{0xFE00, {{'B', 0}}, {{'A', 3}}}, {0xFE01, {}, {{'B', 1}}}})}});
  }
  std::vector<uint8_t> render(const std::string& text, unsigned int options) {
    void* font = dv::dv_ttf_font_load_memory_ex(bytes_.data(), bytes_.size(), 20.0f, options);
    EXPECT_NE(font, nullptr);
    TextImage* image = dv::dv_ttf_font_render(font, text.c_str(), 0, 0, 0, 255.0);
    std::vector<uint8_t> pixels;
    if (image != nullptr) {
      pixels.assign(image->pixels, image->pixels + 4 * image->width * image->height);
      pixels.push_back(static_cast<uint8_t>(image->width));
      delete[] image->pixels;
      delete image;
    }
    dv::dv_ttf_font_free(font);
    return pixels;
  }
  Bytes bytes_;
};

constexpr unsigned int kOption = load_option::kExtendedCmaps;

TEST_F(SequenceRender, BaseAndSelectorDrawTheVariant) {
  EXPECT_EQ(render("A\xEF\xB8\x80", kOption), render("B", kOption)); // A+VS1: glyph 3
  EXPECT_EQ(render("B\xEF\xB8\x81", kOption), render("A", kOption)); // B+VS2: glyph 1
  EXPECT_EQ(render("B\xEF\xB8\x80", kOption), render("B", kOption)); // a default sequence
  EXPECT_EQ(render("A\xEF\xB8\x81", kOption), render("A", kOption)); // no such sequence
  EXPECT_EQ(render("AA\xEF\xB8\x80"
                   "A",
                   kOption),
            render("ABA", kOption));
}

TEST_F(SequenceRender, SelectorAloneDrawsNothing) {
  EXPECT_EQ(render("\xEF\xB8\x80"
                   "A",
                   kOption),
            render("A", kOption));
  EXPECT_EQ(render("A\xEF\xB8\x80\xEF\xB8\x81", kOption), render("B", kOption));
  EXPECT_EQ(render("A\xF3\xA0\x84\x80", kOption), render("A", kOption)); // VS17, none listed
}

// Without the option a selector is a character like any other (the font's .notdef here).
TEST_F(SequenceRender, WithoutTheOptionSelectorsAreCharacters) {
  EXPECT_NE(render("A\xEF\xB8\x80", 0), render("A", 0));
  EXPECT_EQ(render("A\xEF\xB8\x80", 0), render("A\xEF\xB8\x81", 0));
}

} // namespace
