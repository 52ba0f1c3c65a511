// Variable fonts through the real artifact's exports: Inter's weight axis listed, an
// instance drawn unlike the default, the default spelled out or reset drawing the default
// byte for byte, and refused settings changing nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"
#include "include/DovrelTTF.h"
#include "support/required_package.h"

namespace {

using LoadMemory = void*(const void*, unsigned long, float);
using Free = void(void*);
using SetVariation = int(void*, const char*);
using Axis = int(void*, int, unsigned int*, double*, double*, double*);
using Instance = int(void*, int, unsigned int*, double*, int);

constexpr const char* kInter = "/usr/share/fonts/truetype/inter-vf/Inter-roman.var.ttf";

class VariationArtifact : public dvtest::ArtifactTest {
protected:
  void SetUp() override {
    dvtest::ArtifactTest::SetUp();
    std::ifstream in(kInter, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), {});
    if (bytes_.empty())
      DV_MISSING_PACKAGE(kInter, dvtest::package_of(kInter));
    font_ = fn<LoadMemory>("_Z23dv_ttf_font_load_memoryPKvmf")(bytes_.data(), bytes_.size(), 24.0f);
    ASSERT_NE(font_, nullptr);
  }
  void TearDown() override {
    if (font_ != nullptr)
      fn<Free>("_Z16dv_ttf_font_freePv")(font_);
    dvtest::ArtifactTest::TearDown();
  }
  int set(const char* settings) {
    return fn<SetVariation>("_Z25dv_ttf_font_set_variationPvPKc")(font_, settings);
  }
  std::vector<uint8_t> render(const char* text) { return rendered_bytes(font_, text); }

  std::vector<unsigned char> bytes_;
  void* font_ = nullptr;
};

} // namespace

TEST_F(VariationArtifact, AxesAndInstancesAreListed) {
  unsigned int tag = 0;
  double minimum = 0, default_value = 0, maximum = 0;
  EXPECT_EQ(fn<Axis>("_Z26dv_ttf_font_variation_axisPviPjPdS1_S1_")(font_, 0, &tag, &minimum,
                                                                    &default_value, &maximum),
            1);
  EXPECT_EQ(tag, 0x77676874u); // "wght"
  EXPECT_EQ(minimum, 100);
  EXPECT_EQ(default_value, 400);
  EXPECT_EQ(maximum, 900);
  unsigned int name = 0;
  double weight = 0;
  EXPECT_EQ(fn<Instance>("_Z26dv_ttf_font_named_instancePviPjPdi")(font_, 8, &name, &weight, 1), 9);
  EXPECT_EQ(weight, 900);
}

TEST_F(VariationArtifact, InstancesDrawAndTheDefaultStaysByteIdentical) {
  const std::vector<uint8_t> regular = render("Hamburg");
  ASSERT_FALSE(regular.empty());
  ASSERT_EQ(set("wght=800"), 1);
  const std::vector<uint8_t> heavy = render("Hamburg");
  EXPECT_NE(heavy, regular);
  EXPECT_EQ(set("wght=900x"), 0);
  EXPECT_EQ(set("wdth=75"), 0);
  EXPECT_EQ(render("Hamburg"), heavy);
  ASSERT_EQ(set("wght=400"), 1);
  EXPECT_EQ(render("Hamburg"), regular);
  ASSERT_EQ(set("wght=800"), 1);
  ASSERT_EQ(set(nullptr), 1);
  EXPECT_EQ(render("Hamburg"), regular);
}
