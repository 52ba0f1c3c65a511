// The example module (examples/module) in the form of the artifact under test: its
// calls, allocations and exceptions all go through the library.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "artifact/artifact_fixture.h"

namespace {

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct ExampleReport {
  int initialized;
  int width;
  int height;
  uint64_t ink;
};
using RenderLine = int(const char*, const char*, ExampleReport*);

struct ImageRecord {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
  uint64_t reserved[2];
};

class ExampleModule : public dvtest::ArtifactTest {
protected:
  void SetUp() override {
    ArtifactTest::SetUp();
    std::ifstream in(kDejaVuSans, std::ios::binary);
    font_ = std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    ASSERT_FALSE(font_.empty()) << kDejaVuSans;
    dvhost::file_store::put("fonts/sans.ttf", font_);
    module_ = dvtest::artifact().load_module(dvtest::testing_macho() ? DV_EXAMPLE_BUNDLE_PATH
                                                                     : DV_EXAMPLE_MODULE_PATH);
  }
  void TearDown() override {
    module_.reset();
    ArtifactTest::TearDown();
  }

  int render_line(const char* path, const char* text, ExampleReport& report) {
    auto* entry = reinterpret_cast<RenderLine*>(module_->find("example_render_line"));
    EXPECT_NE(entry, nullptr);
    return entry ? entry(path, text, &report) : -1;
  }

  std::vector<uint8_t> font_;
  std::unique_ptr<dvhost::LoadedImage> module_;
};

TEST_F(ExampleModule, RendersALineFreesEverythingAndReportsThroughAnException) {
  const char* text = "Hello from a module";
  ExampleReport report{};
  EXPECT_EQ(render_line("fonts/sans.ttf", text, report), 0);
  EXPECT_EQ(report.initialized, 7) << "the module's initializer did not run";

  // The same line rendered by calling the library directly.
  void* font = fn<void*(const void*, unsigned long, float)>("_Z23dv_ttf_font_load_memoryPKvmf")(
      font_.data(), font_.size(), 24.0f);
  ASSERT_NE(font, nullptr);
  auto* image = fn<ImageRecord*(void*, const char*, int, int, int, double)>(
      "_Z18dv_ttf_font_renderPvPKciiid")(font, text, 30, 30, 30, 255.0);
  ASSERT_NE(image, nullptr);
  uint64_t ink = 0;
  for (int32_t i = 0; i < image->width * image->height; ++i)
    ink += image->pixels[i * 4 + 3];
  EXPECT_EQ(report.width, image->width);
  EXPECT_EQ(report.height, image->height);
  EXPECT_EQ(report.ink, ink);
  EXPECT_GT(ink, 0u);
  fn<void(void*)>("_ZdaPv")(image->pixels);
  fn<void(void*)>("_ZdlPv")(image);
  fn<void(void*)>("_Z16dv_ttf_font_freePv")(font);
  // The fixture fails the test if the module left any host block behind.
}

TEST_F(ExampleModule, AMissingFontIsReportedByItsOwnException) {
  ExampleReport report{};
  EXPECT_EQ(render_line("fonts/missing.ttf", "text", report), 1);
  EXPECT_EQ(render_line("fonts/sans.ttf", nullptr, report), 2);
}

// A module of the other form is refused in words, before any bind can fail on a name.
TEST_F(ExampleModule, AModuleOfTheOtherFormIsRefusedInWords) {
  const char* other = dvtest::testing_macho() ? DV_EXAMPLE_MODULE_PATH : DV_EXAMPLE_BUNDLE_PATH;
  try {
    dvtest::artifact().load_module(other);
    ADD_FAILURE() << other << " loaded against " << dvtest::artifact_path();
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("a module binds to the library of its own form"),
              std::string::npos)
        << error.what();
  }
}

} // namespace
