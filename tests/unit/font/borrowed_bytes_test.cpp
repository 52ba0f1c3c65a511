// Loading with DV_TTF_LOAD_BORROW: a handle that reads the caller's bytes in place draws
// exactly what a handle with its own copy draws, for every format the loaders read, and
// the bit changes nothing about which fonts load.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "font/cff/type2_operators.h"
#include "font/entry_points.h"
#include "font/font_handle.h"
#include "font/load_options.h"
#include "host/file_store.h"
#include "host/stand_in.h"
#include "include/DovrelTTF.h"
#include "support/cff_builder.h"
#include "support/sfnt_builder.h"
#include "support/type1_builder.h"

using testfont::Bytes;

namespace {

using namespace load_option;
constexpr const char* kText = "AA A\nA";

Bytes cff_font() {
  testfont::CffParams cff;
  const testfont::Type2Code box = testfont::Type2Code()
                                      .n(100)
                                      .n(0)
                                      .op(21) // rmoveto
                                      .n(600)
                                      .n(700)
                                      .n(-600)
                                      .op(6) // hlineto: dx1 dy2 dx3
                                      .op(type2_op::kEndchar);
  cff.charstrings = {testfont::Type2Code().op(type2_op::kEndchar), box,
                     testfont::Type2Code().op(type2_op::kEndchar)};
  return testfont::build_cff_font({}, cff);
}

Bytes type1_font() {
  testfont::Type1Builder builder;
  builder.encoding = {{'A', "A"}};
  testfont::Charstring box;
  box.hsbw(0, 700).rmoveto(100, 0).rlineto(500, 0).rlineto(0, 600).rlineto(-500, 0).closepath();
  box.endchar();
  builder.charstrings = {{".notdef", testfont::Charstring().hsbw(0, 500).endchar().bytes()},
                         {"A", box.bytes()}};
  return builder.pfb();
}

Bytes collection() {
  testfont::FontParams wide;
  wide.glyphs = {{}, {testfont::simple_glyph({testfont::box(0, 0, 900, 400)}), 1000, 0}, {}};
  return testfont::collection_file({testfont::build_font({}), testfont::build_font(wide)});
}

struct BorrowCase {
  const char* name;
  Bytes bytes;
  unsigned int options; // without kBorrow
};

class BorrowedBytes : public testing::TestWithParam<BorrowCase> {};

// Width, height and RGBA of the text's image; empty for no image.
std::vector<uint8_t> render(void* handle) {
  TextImage* image = dv::dv_ttf_font_render(handle, kText, 10, 20, 30, 255.0);
  if (image == nullptr)
    return {};
  std::vector<uint8_t> result(image->pixels,
                              image->pixels + size_t(image->width) * size_t(image->height) * 4);
  result.push_back(uint8_t(image->width));
  result.push_back(uint8_t(image->height));
  delete[] image->pixels;
  delete image;
  return result;
}

TEST_P(BorrowedBytes, DrawsWhatACopyDraws) {
  const BorrowCase& c = GetParam();
  void* copied = dv::dv_ttf_font_load_memory_ex(c.bytes.data(), c.bytes.size(), 24.0f, c.options);
  void* borrowed =
      dv::dv_ttf_font_load_memory_ex(c.bytes.data(), c.bytes.size(), 24.0f, c.options | kBorrow);
  ASSERT_NE(copied, nullptr);
  ASSERT_NE(borrowed, nullptr);
  const std::vector<uint8_t> expected = render(copied);
  ASSERT_GT(expected.size(), 2u);
  EXPECT_EQ(render(borrowed), expected);
  dv::dv_ttf_font_resize(borrowed, 9.0f);
  dv::dv_ttf_font_resize(copied, 9.0f);
  EXPECT_EQ(render(borrowed), render(copied));
  dv::dv_ttf_font_free(copied);
  dv::dv_ttf_font_free(borrowed);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, BorrowedBytes,
    testing::Values(BorrowCase{"TrueType", testfont::build_font({}), 0},
                    BorrowCase{"TrueTypeKerned", testfont::build_font({}), kKerning},
                    BorrowCase{"OpenTypeCff", cff_font(), kOpenTypeCff},
                    BorrowCase{"CollectionFaceOne", collection(), kCollections | 1u << kFaceShift},
                    BorrowCase{"Type1StraightLines", type1_font(), 0},
                    BorrowCase{"Type1Complete", type1_font(), kCompleteType1}),
    [](const testing::TestParamInfo<BorrowCase>& case_info) { return case_info.param.name; });

// The bit is a promise about the bytes, not a format: what loads without it loads with it,
// and what is refused stays refused.
TEST(BorrowedBytes, AdmitsExactlyWhatCopyingAdmits) {
  Bytes cut = testfont::build_font({});
  cut.resize(cut.size() / 2);
  Bytes otto = testfont::build_font({});
  testfont::put_u32(otto, 0, 0x4F54544F);
  const std::vector<Bytes> inputs = {
      testfont::build_font({}), cut, otto, type1_font(), collection(), Bytes{'%'}};
  for (unsigned int options : {0u, kOpenTypeCff | kCollections | kCompleteType1 | kKerning}) {
    for (const Bytes& bytes : inputs) {
      void* copied = dv::dv_ttf_font_load_memory_ex(bytes.data(), bytes.size(), 16.0f, options);
      void* borrowed =
          dv::dv_ttf_font_load_memory_ex(bytes.data(), bytes.size(), 16.0f, options | kBorrow);
      EXPECT_EQ(copied == nullptr, borrowed == nullptr) << bytes.size() << " " << options;
      dv::dv_ttf_font_free(copied);
      dv::dv_ttf_font_free(borrowed);
    }
  }
  EXPECT_EQ(dv::dv_ttf_font_load_memory_ex(nullptr, 10, 16.0f, kBorrow), nullptr);
  EXPECT_EQ(dv::dv_ttf_font_load_memory_ex(inputs[0].data(), 0, 16.0f, kBorrow), nullptr);
  EXPECT_EQ(kBorrow, DV_TTF_LOAD_BORROW);
  EXPECT_EQ(kBorrow & kReservedBits, 0u);
  EXPECT_EQ(DV_TTF_LOAD_ALL & kBorrow, 0u);
}

// The file loader takes the bit and keeps the one copy it read: the file's bytes may go
// once the load returned.
TEST(BorrowedBytes, TheFileLoaderKeepsItsOwnCopy) {
  dvhost::file_store::put("borrowed.ttf", testfont::build_font({}));
  void* plain = dv::dv_ttf_font_load_ex("borrowed.ttf", 24.0f, 0);
  void* with_bit = dv::dv_ttf_font_load_ex("borrowed.ttf", 24.0f, kBorrow);
  dvhost::file_store::clear();
  ASSERT_NE(plain, nullptr);
  ASSERT_NE(with_bit, nullptr);
  EXPECT_EQ(render(with_bit), render(plain));
  dv::dv_ttf_font_free(plain);
  dv::dv_ttf_font_free(with_bit);
  dvhost::reset_stand_in();
}

} // namespace
