// The extended loaders' options word: which files each option admits, the face a collection
// option picks, and the refusals (reserved bits, faces that do not exist).
#include <gtest/gtest.h>

#include <vector>

#include "font/entry_points.h"
#include "font/font_handle.h"
#include "font/load_options.h"
#include "support/sfnt_builder.h"
#include "support/type1_builder.h"

using testfont::Bytes;

namespace {

constexpr uint32_t kOtto = 0x4F54544F;

FontHandle* load_ex(const Bytes& bytes, unsigned int options) {
  return static_cast<FontHandle*>(
      dv::dv_ttf_font_load_memory_ex(bytes.data(), bytes.size(), 16.0f, options));
}

// A TrueType font told apart from others by its em size.
Bytes truetype_with_em(uint16_t units_per_em) {
  testfont::FontParams params;
  params.units_per_em = units_per_em;
  return testfont::build_font(params);
}

Bytes with_version(Bytes bytes, uint32_t version) {
  testfont::put_u32(bytes, 0, version);
  return bytes;
}

Bytes type1_font() {
  testfont::Type1Builder builder;
  builder.charstrings = {{".notdef", {139, 139, 13, 14}}}; // 0 0 hsbw endchar
  return builder.pfb();
}

struct OptionCase {
  const char* name;
  Bytes bytes;
  unsigned int options;
  double units_per_em; // 0: the load gives null
};

class ExtendedLoader : public testing::TestWithParam<OptionCase> {};

TEST_P(ExtendedLoader, AdmitsOrRefuses) {
  const OptionCase& c = GetParam();
  FontHandle* handle = load_ex(c.bytes, c.options);
  if (c.units_per_em == 0) {
    EXPECT_EQ(handle, nullptr);
    return;
  }
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(handle->backend->units_per_em(), c.units_per_em);
  dv::dv_ttf_font_free(handle);
}

using namespace load_option;
const Bytes kCollection =
    testfont::collection_file({truetype_with_em(1000), truetype_with_em(2048)});
const unsigned int kAll =
    kOpenTypeCff | kCollections | kCompleteType1 | kKerning | kHinting | kExtendedCmaps;

INSTANTIATE_TEST_SUITE_P(
    All, ExtendedLoader,
    testing::Values(
        OptionCase{"TrueTypeWithoutOptions", truetype_with_em(1000), 0, 1000},
        OptionCase{"TrueTypeWithEveryOption", truetype_with_em(1000), kAll, 1000},
        OptionCase{"ReservedLowBit", truetype_with_em(1000), 0x80, 0},
        OptionCase{"ReservedHighBit", truetype_with_em(1000), kAll | 0x8000, 0},
        OptionCase{"ReservedBitBesideBorrow", truetype_with_em(1000), kBorrow | 0x80, 0},
        OptionCase{"Borrowed", truetype_with_em(1000), kBorrow, 1000},
        OptionCase{"BorrowedCollectionFaceOne", kCollection,
                   kBorrow | kCollections | 1u << kFaceShift, 2048},
        OptionCase{"FaceOneOfASingleFont", truetype_with_em(1000), kAll | 1u << kFaceShift, 0},
        OptionCase{"FaceOneOfAType1Font", type1_font(), kAll | 1u << kFaceShift, 0},
        OptionCase{"Type1WithEveryOption", type1_font(), kAll, 1000},
        OptionCase{"OttoWithoutCffOption", with_version(truetype_with_em(1000), kOtto),
                   kAll & ~kOpenTypeCff, 0},
        OptionCase{"CollectionWithoutOption", kCollection, kAll & ~kCollections, 0},
        OptionCase{"CollectionFaceZero", kCollection, kCollections, 1000},
        OptionCase{"CollectionFaceOne", kCollection, kCollections | 1u << kFaceShift, 2048},
        OptionCase{"CollectionPastLastFace", kCollection, kCollections | 2u << kFaceShift, 0},
        OptionCase{"CollectionHugeFace", kCollection, kCollections | 0xFFFFu << kFaceShift, 0},
        OptionCase{"CollectionCutInItsOffsets",
                   Bytes(kCollection.begin(), kCollection.begin() + 15), kCollections, 0},
        OptionCase{"CollectionOfNoFaces", testfont::collection_file({}), kCollections, 0}),
    [](const testing::TestParamInfo<OptionCase>& case_info) { return case_info.param.name; });

TEST(ExtendedLoader, CollectionFacePointingOutsideTheFileIsRefused) {
  Bytes bytes = kCollection;
  testfont::put_u32(bytes, 16, static_cast<uint32_t>(bytes.size() - 2));
  EXPECT_EQ(load_ex(bytes, kCollections | 1u << kFaceShift), nullptr);
  testfont::put_u32(bytes, 16, 0xFFFFFFF0u);
  EXPECT_EQ(load_ex(bytes, kCollections | 1u << kFaceShift), nullptr);
  FontHandle* first = load_ex(bytes, kCollections);
  ASSERT_NE(first, nullptr); // the other face is untouched
  dv::dv_ttf_font_free(first);
}

TEST(ExtendedLoader, CollectionFaceWithCffOutlinesNeedsTheCffOption) {
  Bytes bytes = testfont::collection_file({truetype_with_em(1000), truetype_with_em(2048)});
  const uint32_t second_face = testfont::get_u32(bytes, 16);
  testfont::put_u32(bytes, second_face, kOtto);
  EXPECT_EQ(load_ex(bytes, kCollections | 1u << kFaceShift), nullptr);
  FontHandle* first = load_ex(bytes, kCollections);
  ASSERT_NE(first, nullptr);
  dv::dv_ttf_font_free(first);
}

TEST(ExtendedLoader, OptionsZeroIsTheStandardLoader) {
  const std::vector<Bytes> inputs = {truetype_with_em(1000), type1_font(), kCollection,
                                     with_version(truetype_with_em(1000), kOtto), Bytes{'%'}};
  for (const Bytes& bytes : inputs) {
    auto* standard =
        static_cast<FontHandle*>(dv::dv_ttf_font_load_memory(bytes.data(), bytes.size(), 16.0f));
    FontHandle* extended = load_ex(bytes, 0);
    ASSERT_EQ(standard == nullptr, extended == nullptr);
    if (standard != nullptr) {
      EXPECT_EQ(standard->backend->units_per_em(), extended->backend->units_per_em());
      EXPECT_EQ(standard->backend->metric_rounding(), extended->backend->metric_rounding());
    }
    dv::dv_ttf_font_free(standard);
    dv::dv_ttf_font_free(extended);
  }
  EXPECT_EQ(dv::dv_ttf_font_load_memory_ex(nullptr, 10, 16.0f, 0), nullptr);
  EXPECT_EQ(dv::dv_ttf_font_load_memory_ex(inputs[0].data(), 0, 16.0f, 0), nullptr);
}

} // namespace
