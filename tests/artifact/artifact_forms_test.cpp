// The two forms of the library, the ELF shared object and the Mach-O dylib, loaded side
// by side in the stand-in: the same sentence in the same font comes out as the same
// bytes from both.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"
#include "host/macho/macho_image.h"

namespace {

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct ImageRecord {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
  uint64_t reserved[2];
};

struct Rendered {
  int width = -1;
  int height = -1;
  std::vector<uint8_t> rgba;
};

Rendered render_with(const dvhost::Artifact& library, const std::vector<uint8_t>& font_bytes,
                     const char* text) {
  void* font = library.get<void*(const void*, unsigned long, float)>(
      "_Z23dv_ttf_font_load_memoryPKvmf")(font_bytes.data(), font_bytes.size(), 26.0f);
  Rendered result;
  if (font == nullptr)
    return result;
  auto* image = library.get<ImageRecord*(void*, const char*, int, int, int, double)>(
      "_Z18dv_ttf_font_renderPvPKciiid")(font, text, 20, 60, 150, 200.0);
  if (image != nullptr) {
    result.width = image->width;
    result.height = image->height;
    result.rgba.assign(image->pixels, image->pixels + size_t(image->width) * image->height * 4);
    library.get<void(void*)>("_ZdaPv")(image->pixels);
    library.get<void(void*)>("_ZdlPv")(image);
  }
  library.get<void(void*)>("_Z16dv_ttf_font_freePv")(font);
  return result;
}

class ArtifactForms : public dvtest::ArtifactTest {};

TEST_F(ArtifactForms, RenderTheSameSentenceToTheSameBytes) {
  std::ifstream in(kDejaVuSans, std::ios::binary);
  std::vector<uint8_t> font_bytes(std::istreambuf_iterator<char>(in), {});
  ASSERT_FALSE(font_bytes.empty()) << kDejaVuSans;
  const char* sentence = "Grüße, Ωμέγα — Жар-птица € ½\nzwei Zeilen, fi ffl";

  dvhost::Artifact elf(DV_ARTIFACT_PATH);
  dvhost::Artifact macho(DV_DYLIB_PATH);
  ASSERT_FALSE(elf.contains(macho.find("malloc")));
  Rendered from_elf = render_with(elf, font_bytes, sentence);
  Rendered from_macho = render_with(macho, font_bytes, sentence);

  ASSERT_GT(from_elf.width, 100);
  ASSERT_GT(from_elf.height, 20);
  EXPECT_EQ(from_macho.width, from_elf.width);
  EXPECT_EQ(from_macho.height, from_elf.height);
  EXPECT_TRUE(from_macho.rgba == from_elf.rgba) << "the two forms rendered different pixels";
}

// The dylib needs nothing from outside: its only binds are the weak ones the loader
// settles with its own definitions, and it has no initializers to run.
TEST_F(ArtifactForms, DylibBindsOnlyToItselfAndHasNoInitializers) {
  std::ifstream in(DV_DYLIB_PATH, std::ios::binary);
  std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
  int outside_lookups = 0;
  dvhost::MachOImage dylib(bytes, DV_DYLIB_PATH, [&](std::string_view, std::string_view) -> void* {
    ++outside_lookups;
    return nullptr;
  });
  EXPECT_EQ(outside_lookups, 0);
  EXPECT_EQ(dylib.initializers_run(), 0u);
  EXPECT_EQ(dylib.install_name(), "/lib/DovrelTTF.dylib");
  void* dso_handle = dylib.find("__dso_handle");
  EXPECT_TRUE(dylib.contains(dso_handle));
  EXPECT_EQ(*static_cast<void**>(dso_handle), nullptr);
}

} // namespace
