// Loading OpenType CFF fonts: what the loader reads from a well-formed table, and the
// malformed tables it refuses.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "font/backend.h"
#include "font/cff/backend.h"
#include "font/cff/font.h"
#include "font/cff/type2_operators.h"
#include "font/entry_points.h"
#include "font/font_handle.h"
#include "support/cff_builder.h"
#include "support/required_package.h"

using testfont::Bytes;
using testfont::Type2Code;

namespace {

using type2_op::kEndchar;

testfont::CffParams simple_cff() {
  testfont::CffParams cff;
  cff.charstrings = {Type2Code().op(kEndchar),
                     Type2Code().n(0).n(0).op(21).n(10).op(6).op(kEndchar),
                     Type2Code().op(kEndchar)};
  return cff;
}

bool loads(const Bytes& bytes) {
  CffFont font;
  return load_cff_font(font, dv::vector<unsigned char>(bytes.data(), bytes.data() + bytes.size()),
                       0);
}

// The offset of the CFF table in a font from build_cff_font.
size_t cff_offset(const Bytes& font) {
  return testfont::find_table(font, "CFF ").offset;
}

TEST(CffLoad, ReadsTheTopDictsStructures) {
  testfont::CffParams cff = simple_cff();
  cff.global_subrs = {Type2Code().op(11), Type2Code().op(11)};
  cff.local_subrs = {Type2Code().op(11)};
  const Bytes bytes = testfont::build_cff_font({}, cff);
  CffFont font;
  ASSERT_TRUE(
      load_cff_font(font, dv::vector<unsigned char>(bytes.data(), bytes.data() + bytes.size()), 0));
  EXPECT_FALSE(font.cid_keyed);
  EXPECT_EQ(font.charstrings.count, 3u);
  EXPECT_EQ(font.global_subrs.count, 2u);
  ASSERT_EQ(font.privates.size, 1u);
  EXPECT_EQ(font.privates.data[0].local_subrs.count, 1u);
  EXPECT_EQ(font.units_per_em, 1000);
}

TEST(CffLoad, StandardLoaderRefusesWhatTheCffOptionLoads) {
  const Bytes bytes = testfont::build_cff_font({}, simple_cff());
  EXPECT_EQ(dv::dv_ttf_font_load_memory(bytes.data(), bytes.size(), 12.0f), nullptr);
  auto* handle = static_cast<FontHandle*>(
      dv::dv_ttf_font_load_memory_ex(bytes.data(), bytes.size(), 12.0f, 1));
  ASSERT_NE(handle, nullptr);
  const GlyphBitmap a = handle->backend->rasterize('A', 1.0);
  EXPECT_EQ(a.advance, 600.0); // the builder's default advance of glyph 1
  EXPECT_GT(a.width, 0);
  dv::dv_ttf_font_free(handle);
}

struct BrokenCase {
  const char* name;
  std::function<void(Bytes&)> damage; // applied to a font from build_cff_font
};

class CffLoadRefuses : public testing::TestWithParam<BrokenCase> {};

TEST_P(CffLoadRefuses, Malformed) {
  Bytes bytes = testfont::build_cff_font({}, simple_cff());
  GetParam().damage(bytes);
  EXPECT_FALSE(loads(bytes));
}

// Rebuilds the font with a changed CFF params.
std::function<void(Bytes&)> rebuilt(std::function<void(testfont::CffParams&)> change) {
  return [change](Bytes& bytes) {
    testfont::CffParams cff = simple_cff();
    change(cff);
    bytes = testfont::build_cff_font({}, cff);
  };
}

INSTANTIATE_TEST_SUITE_P(
    All, CffLoadRefuses,
    testing::Values(
        BrokenCase{"NoCffTable",
                   [](Bytes& b) {
                     testfont::FontParams params;
                     params.omit_tables = {"glyf", "loca"};
                     b = testfont::sfnt_file(testfont::font_tables(params), 0x4F54544F);
                   }},
        BrokenCase{"TrueTypeVersionTag", [](Bytes& b) { testfont::put_u32(b, 0, 0x00010000); }},
        BrokenCase{"MajorVersionTwo", [](Bytes& b) { b[cff_offset(b)] = 2; }},
        BrokenCase{"HeaderSizePastTheTable", [](Bytes& b) { b[cff_offset(b) + 2] = 0xFF; }},
        BrokenCase{"NameIndexOffsetSizeFive", [](Bytes& b) { b[cff_offset(b) + 6] = 5; }},
        BrokenCase{"NameIndexFirstOffsetNotOne", [](Bytes& b) { b[cff_offset(b) + 10] = 2; }},
        BrokenCase{"NameIndexPastTheTable",
                   [](Bytes& b) { testfont::put_u32(b, cff_offset(b) + 11, 0x7FFFFFFF); }},
        BrokenCase{"NoCharStrings", rebuilt([](testfont::CffParams& c) { c.charstrings.clear(); })},
        BrokenCase{"CharstringTypeOne", rebuilt([](testfont::CffParams& c) {
                     c.extra_top_dict = {139 + 1, 12, 6};
                   })},
        BrokenCase{"CharStringsOffsetPastTheTable", rebuilt([](testfont::CffParams& c) {
                     c.extra_top_dict = testfont::dict_int(1 << 30);
                     c.extra_top_dict.push_back(17);
                   })},
        BrokenCase{"CharStringsOffsetNegative", rebuilt([](testfont::CffParams& c) {
                     c.extra_top_dict = testfont::dict_int(-4);
                     c.extra_top_dict.push_back(17);
                   })},
        BrokenCase{"PrivateDictPastTheTable", rebuilt([](testfont::CffParams& c) {
                     c.extra_top_dict = testfont::dict_int(100);
                     const Bytes offset = testfont::dict_int(1 << 20);
                     c.extra_top_dict.insert(c.extra_top_dict.end(), offset.begin(), offset.end());
                     c.extra_top_dict.push_back(18);
                   })},
        BrokenCase{"DictWithTooManyOperands", rebuilt([](testfont::CffParams& c) {
                     c.extra_top_dict.assign(49, 139);
                     c.extra_top_dict.push_back(15);
                   })},
        BrokenCase{"DictWithReservedByte",
                   rebuilt([](testfont::CffParams& c) { c.extra_top_dict = {255}; })},
        BrokenCase{"DictWithTruncatedReal", rebuilt([](testfont::CffParams& c) {
                     c.extra_top_dict = {30, 0x12};
                   })},
        BrokenCase{"CidKeyedWithoutFdSelect", rebuilt([](testfont::CffParams& c) {
                     c.extra_top_dict = {139, 139, 139, 12, 30};
                   })},
        BrokenCase{"FdSelectFormatOne", rebuilt([](testfont::CffParams& c) {
                     c.font_dict_subrs = {{}};
                     c.fd_select = {0, 0, 0};
                     c.fd_select_format = 1;
                   })},
        BrokenCase{"FdSelectShortOfGlyphs", rebuilt([](testfont::CffParams& c) {
                     c.font_dict_subrs = {{}};
                     c.fd_select = {0};
                     c.fd_select_format = 0;
                   })}),
    [](const testing::TestParamInfo<BrokenCase>& case_info) { return case_info.param.name; });

// A Font DICT that FDSelect names but the FDArray lacks leaves its glyphs blank; the font loads.
TEST(CffLoad, FdSelectPastTheFdArrayFailsOnlyThoseGlyphs) {
  testfont::CffParams cff = simple_cff();
  cff.font_dict_subrs = {{}};
  cff.fd_select = {0, 7, 0};
  const Bytes bytes = testfont::build_cff_font({}, cff);
  CffFont font;
  ASSERT_TRUE(
      load_cff_font(font, dv::vector<unsigned char>(bytes.data(), bytes.data() + bytes.size()), 0));
  EXPECT_NE(private_for_glyph(font, 0), nullptr);
  EXPECT_EQ(private_for_glyph(font, 1), nullptr);
  EXPECT_EQ(private_for_glyph(font, 3), nullptr); // past the glyphs
}

// Every prefix of a real font loads or is refused, and whatever loads draws its glyphs.
TEST(CffLoad, TruncatedRealFontLoadsOrFailsCleanly) {
  std::ifstream in("/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf", std::ios::binary);
  const Bytes bytes(std::istreambuf_iterator<char>(in), {});
  if (bytes.empty())
    DV_MISSING_PACKAGE("NimbusSans-Regular.otf", "fonts-urw-base35");
  for (size_t size = 0; size < bytes.size(); size += 1 + size / 8) {
    std::unique_ptr<FontBackend> backend(make_cff_backend());
    if (backend->load(dv::vector<unsigned char>(bytes.data(), bytes.data() + size)))
      for (const char c : {'A', 'g', '@'})
        backend->rasterize(c, 0.05);
  }
}

} // namespace
