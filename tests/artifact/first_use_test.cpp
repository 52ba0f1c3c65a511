// The first font work a freshly loaded library ever does gives back every host block it
// took: a module that loads the library, draws some text, frees what it got and goes away
// leaves the host heap as it found it. Each case reloads the artifact (every global of the
// library starts over, lazily built ones included) and then loads, measures, renders and
// frees once, for every font format and loader option.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"
#include "include/DovrelTTF.h"
#include "support/cff_builder.h"
#include "support/gpos_builder.h"
#include "support/required_package.h"
#include "support/sfnt_builder.h"
#include "support/type1_builder.h"

namespace {

using testfont::Bytes;

constexpr uint8_t kType2Rmoveto = 21;
constexpr uint8_t kType2Hlineto = 6;
constexpr uint8_t kType2Endchar = 14;

// Glyphs 0 (.notdef) and 1 ('A') are boxes, 2 is the space of the builder's default map.
testfont::FontParams three_glyphs() {
  testfont::FontParams params;
  params.glyphs = {{testfont::simple_glyph({testfont::box(50, 0, 450, 600)})},
                   {testfont::simple_glyph({testfont::box(100, 0, 400, 700)})},
                   {}};
  return params;
}

Bytes truetype_font() {
  return testfont::build_font(three_glyphs());
}

Bytes kerned_truetype_font() {
  testfont::FontParams params = three_glyphs();
  const Bytes pairs = testfont::pair_pos_glyphs({{1, {{1, -120}}}});
  params.extra_tables = {{"GPOS", testfont::gpos_table({{{pairs}}}, {0})},
                         {"kern", testfont::kern_table({{{{1, 1, -80}}}})}};
  return testfont::build_font(params);
}

Bytes collection_font() {
  return testfont::collection_file({truetype_font(), kerned_truetype_font()});
}

Bytes cff_font() {
  const auto box = [](int width, int height) {
    return testfont::Type2Code()
        .n(50)
        .n(0)
        .op(kType2Rmoveto)
        .n(width)
        .n(height)
        .n(-width)
        .op(kType2Hlineto)
        .op(kType2Endchar)
        .bytes();
  };
  testfont::CffParams cff;
  cff.charstrings = {box(400, 600), box(300, 700), testfont::Type2Code().op(kType2Endchar)};
  return testfont::build_cff_font(three_glyphs(), cff);
}

// 'A' through the font's own encoding; every other character draws .notdef.
Bytes type1_font() {
  const auto box = [](int width, int height) {
    return testfont::Charstring()
        .hsbw(0, 500)
        .rmoveto(50, 0)
        .hlineto(width)
        .vlineto(height)
        .hlineto(-width)
        .closepath()
        .endchar()
        .bytes();
  };
  testfont::Type1Builder builder;
  builder.encoding = {{65, "A"}};
  builder.charstrings = {{".notdef", box(400, 600)}, {"A", box(300, 700)}};
  return builder.pfb();
}

Bytes file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

struct FirstUseCase {
  const char* name;
  std::function<Bytes()> font; // built by a test-side builder; empty for an installed file
  const char* path;            // the installed font file when `font` is empty
  const char* package;         // the Debian package that installs it
  unsigned int options;        // the extended loader's options
  bool from_file;              // loaded through the host's files instead of from memory
  bool blank = false;          // the text draws no ink (a standard loader on StandardEncoding)
};

void PrintTo(const FirstUseCase& params, std::ostream* out) {
  *out << params.name;
}

// Text with a character the font maps, one it does not (drawn as .notdef), a kerned pair,
// a second line, and bytes that are not UTF-8.
constexpr const char* kText = "AA Z\nA\xC3\xA9 \xFF!";

const FirstUseCase kCases[] = {
    {"TrueType", truetype_font, nullptr, nullptr, 0, false},
    {"TrueTypeFromFile", truetype_font, nullptr, nullptr, 0, true},
    {"TrueTypeKerned", kerned_truetype_font, nullptr, nullptr, DV_TTF_LOAD_KERNING, false},
    {"OpenTypeCff", cff_font, nullptr, nullptr, DV_TTF_LOAD_CFF, false},
    {"CollectionFace", collection_font, nullptr, nullptr,
     DV_TTF_LOAD_COLLECTIONS | DV_TTF_LOAD_KERNING | dv_ttf_face_option(1), false},
    {"Type1Standard", type1_font, nullptr, nullptr, 0, false},
    {"Type1StandardFromFile", type1_font, nullptr, nullptr, 0, true},
    {"Type1Complete", type1_font, nullptr, nullptr, DV_TTF_LOAD_COMPLETE_TYPE1, false},
    {"RealTrueTypeKerned", nullptr,
     "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf", "fonts-liberation2",
     DV_TTF_LOAD_KERNING, false},
    {"RealOpenTypeCff", nullptr, "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf",
     "fonts-urw-base35", DV_TTF_LOAD_ALL, false},
    {"RealType1Standard", nullptr, "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb",
     "fonts-urw-base35", 0, false, true},
    {"RealType1Complete", nullptr, "/usr/share/fonts/X11/Type1/NimbusRoman-Regular.pfb",
     "fonts-urw-base35", DV_TTF_LOAD_ALL, false},
};

class FirstUse : public dvtest::ArtifactTest, public ::testing::WithParamInterface<FirstUseCase> {
protected:
  // Unloads and loads the artifact again, and checks that its globals did start over.
  void load_fresh_library() {
    *data<int>("dv_errno") = 77;
    dvtest::artifact().reload();
    ASSERT_EQ(*data<int>("dv_errno"), 0) << "the reloaded library kept its old globals";
  }

  void* load(const Bytes& font, const FirstUseCase& params) {
    if (params.from_file) {
      dvhost::file_store::put("first.font", font);
      return fn<void*(const char*, float, unsigned int)>("_Z19dv_ttf_font_load_exPKcfj")(
          "first.font", 24.0f, params.options);
    }
    return fn<void*(const void*, unsigned long, float, unsigned int)>(
        "_Z26dv_ttf_font_load_memory_exPKvmfj")(font.data(), font.size(), 24.0f, params.options);
  }

  // Measures and renders `kText`, frees the image and then the font.
  void measure_render_free(void* font, bool blank) {
    int size[3] = {};
    EXPECT_EQ(fn<int(void*, const char*, int*, int*, int*)>("_Z19dv_ttf_font_measurePvPKcPiS2_S2_")(
                  font, kText, &size[0], &size[1], &size[2]),
              1);
    TextImage* image = fn<TextImage*(void*, const char*, int, int, int, double)>(
        "_Z18dv_ttf_font_renderPvPKciiid")(font, kText, 10, 20, 30, 255.0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, size[0]);
    EXPECT_EQ(image->height, size[1]);
    EXPECT_EQ(has_ink(*image), !blank);
    fn<void(void*)>("_ZdaPv")(image->pixels);
    fn<void(void*)>("_ZdlPv")(image);
    fn<void(void*)>("_Z16dv_ttf_font_freePv")(font);
  }

  static bool has_ink(const TextImage& image) {
    for (size_t i = 3; i < size_t(image.width) * size_t(image.height) * 4; i += 4) {
      if (image.pixels[i] != 0)
        return true;
    }
    return false;
  }
};

TEST_P(FirstUse, LoadMeasureRenderAndFreeLeaveTheHostHeapAsTheyFoundIt) {
  const FirstUseCase& params = GetParam();
  const Bytes font = params.font ? params.font() : file_bytes(params.path);
  if (font.empty())
    DV_MISSING_PACKAGE(params.path, params.package);
  load_fresh_library();
  const size_t blocks = dvhost::host_heap::live_blocks();
  const uint64_t requests = dvhost::host_heap::stats().requests;

  void* handle = load(font, params);
  ASSERT_NE(handle, nullptr);
  measure_render_free(handle, params.blank);

  EXPECT_GT(dvhost::host_heap::stats().requests, requests);
  EXPECT_EQ(dvhost::host_heap::live_blocks(), blocks)
      << "host blocks the library took on its first use and kept";
  EXPECT_TRUE(dvhost::host_heap::errors().empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, FirstUse, ::testing::ValuesIn(kCases),
                         [](const auto& case_info) { return std::string(case_info.param.name); });

} // namespace
