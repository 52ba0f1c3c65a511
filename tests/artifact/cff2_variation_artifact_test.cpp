// A variable font with CFF2 outlines through the real artifact's exports: the extended
// loader with the CFF option reads it (the standard loader refuses it, as any OpenType CFF
// font), an instance set by dv_ttf_font_set_variation draws unlike the default, and the
// default, set again, draws the default byte for byte.
#include <gtest/gtest.h>

#include <vector>

#include "artifact/artifact_fixture.h"
#include "include/DovrelTTF.h"
#include "support/cff2_builder.h"
#include "support/variation_builder.h"

namespace {

using LoadMemory = void*(const void*, unsigned long, float);
using LoadMemoryEx = void*(const void*, unsigned long, float, unsigned int);
using Free = void(void*);
using SetVariation = int(void*, const char*);

// "A" (glyph 1) is a square 600 units high whose width blends from 400 at the default
// weight to 500 at the heaviest; its advance follows through HVAR.
testfont::Bytes cff2_font() {
  using testfont::Type2Code;
  testfont::Cff2Params cff2;
  cff2.charstrings = {testfont::Bytes{}, Type2Code()
                                             .n(50)
                                             .n(0)
                                             .op(21)
                                             .n(400)
                                             .n(100)
                                             .n(1)
                                             .op(16)
                                             .n(0)
                                             .op(5)
                                             .n(0)
                                             .n(600)
                                             .op(5)
                                             .n(-400)
                                             .n(-100)
                                             .n(1)
                                             .op(16)
                                             .n(0)
                                             .op(5)};
  cff2.variation_store = testfont::cff2_variation_store({{1.0}}, {{0}});
  testfont::FontParams sfnt;
  sfnt.glyphs.resize(3);
  sfnt.extra_tables = {{"fvar", testfont::fvar_table({{"wght", 100, 400, 900}})},
                       {"HVAR", testfont::hvar_table({{1.0}}, {{0}, {100}, {0}})}};
  return testfont::build_cff2_font(sfnt, cff2);
}

class Cff2VariationArtifact : public dvtest::ArtifactTest {
protected:
  void* load(unsigned int options) {
    return fn<LoadMemoryEx>("_Z26dv_ttf_font_load_memory_exPKvmfj")(bytes_.data(), bytes_.size(),
                                                                    24.0f, options);
  }
  void release(void* font) { fn<Free>("_Z16dv_ttf_font_freePv")(font); }
  int set(void* font, const char* settings) {
    return fn<SetVariation>("_Z25dv_ttf_font_set_variationPvPKc")(font, settings);
  }

  testfont::Bytes bytes_ = cff2_font();
};

} // namespace

TEST_F(Cff2VariationArtifact, LoadsOnlyWithTheCffOption) {
  EXPECT_EQ(fn<LoadMemory>("_Z23dv_ttf_font_load_memoryPKvmf")(bytes_.data(), bytes_.size(), 24.0f),
            nullptr);
  EXPECT_EQ(load(DV_TTF_LOAD_ALL & ~DV_TTF_LOAD_CFF), nullptr);
  void* font = load(DV_TTF_LOAD_CFF);
  ASSERT_NE(font, nullptr);
  release(font);
}

TEST_F(Cff2VariationArtifact, InstancesDrawAndTheDefaultStaysByteIdentical) {
  void* font = load(DV_TTF_LOAD_CFF);
  ASSERT_NE(font, nullptr);
  const std::vector<uint8_t> regular = rendered_bytes(font, "AA");
  ASSERT_FALSE(regular.empty());
  ASSERT_EQ(set(font, "wght=900"), 1);
  const std::vector<uint8_t> heavy = rendered_bytes(font, "AA");
  EXPECT_NE(heavy, regular);
  EXPECT_EQ(set(font, "wdth=75"), 0); // an axis the font lacks changes nothing
  EXPECT_EQ(rendered_bytes(font, "AA"), heavy);
  ASSERT_EQ(set(font, "wght=400"), 1);
  EXPECT_EQ(rendered_bytes(font, "AA"), regular);
  release(font);
}
