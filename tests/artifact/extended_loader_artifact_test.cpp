// The extended loaders of the real artifact, called through their mangled names: options 0
// is the standard loader, reserved bits are refused, and a collection's face picked by the
// options loads from memory and through the file system alike.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"
#include "include/DovrelTTF.h"
#include "support/sfnt_builder.h"

namespace {

using LoadFile = void*(const char*, float);
using LoadMemory = void*(const void*, unsigned long, float);
using LoadFileEx = void*(const char*, float, unsigned int);
using LoadMemoryEx = void*(const void*, unsigned long, float, unsigned int);
using Free = void(void*);

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kLiberationSerif =
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf";

testfont::Bytes file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return testfont::Bytes(std::istreambuf_iterator<char>(in), {});
}

class ExtendedLoaderArtifact : public dvtest::ArtifactTest {
protected:
  void* load_ex(const testfont::Bytes& bytes, unsigned int options) {
    return fn<LoadMemoryEx>("_Z26dv_ttf_font_load_memory_exPKvmfj")(bytes.data(), bytes.size(),
                                                                    20.0f, options);
  }
  void* load_file_ex(const char* path, unsigned int options) {
    return fn<LoadFileEx>("_Z19dv_ttf_font_load_exPKcfj")(path, 20.0f, options);
  }
  void release(void* handle) { fn<Free>("_Z16dv_ttf_font_freePv")(handle); }

  std::vector<uint8_t> render(void* handle, const char* text) {
    return rendered_bytes(handle, text);
  }
};

} // namespace

TEST_F(ExtendedLoaderArtifact, OptionsZeroDrawsAsTheStandardLoaders) {
  const testfont::Bytes bytes = file_bytes(kDejaVuSans);
  ASSERT_FALSE(bytes.empty());
  dvhost::file_store::put("DejaVuSans.ttf", bytes);
  void* standard =
      fn<LoadMemory>("_Z23dv_ttf_font_load_memoryPKvmf")(bytes.data(), bytes.size(), 20.0f);
  void* standard_file = fn<LoadFile>("_Z16dv_ttf_font_loadPKcf")("DejaVuSans.ttf", 20.0f);
  void* extended = load_ex(bytes, 0);
  void* extended_file = load_file_ex("DejaVuSans.ttf", 0);
  ASSERT_NE(extended, nullptr);
  ASSERT_NE(extended_file, nullptr);
  const std::vector<uint8_t> expected = render(standard, "Extended, not changed");
  EXPECT_EQ(render(standard_file, "Extended, not changed"), expected);
  EXPECT_EQ(render(extended, "Extended, not changed"), expected);
  EXPECT_EQ(render(extended_file, "Extended, not changed"), expected);
  for (void* handle : {standard, standard_file, extended, extended_file})
    release(handle);
  EXPECT_EQ(leaked_blocks(), 0);
}

TEST_F(ExtendedLoaderArtifact, RefusalsLeaveNothingBehind) {
  const testfont::Bytes bytes = file_bytes(kDejaVuSans);
  dvhost::file_store::put("DejaVuSans.ttf", bytes);
  EXPECT_EQ(load_ex(bytes, DV_TTF_LOAD_ALL | 0x80), nullptr);
  EXPECT_EQ(load_ex(bytes, DV_TTF_LOAD_ALL | dv_ttf_face_option(1)), nullptr);
  EXPECT_EQ(load_file_ex("DejaVuSans.ttf", 0x8000), nullptr);
  EXPECT_EQ(load_file_ex("missing.ttf", DV_TTF_LOAD_ALL), nullptr);
  EXPECT_EQ(load_file_ex(nullptr, DV_TTF_LOAD_ALL), nullptr);
  EXPECT_EQ(load_ex(testfont::Bytes{}, DV_TTF_LOAD_ALL), nullptr);
  EXPECT_EQ(leaked_blocks(), 0);
}

TEST_F(ExtendedLoaderArtifact, CollectionFacesDrawAsTheFontsTheyCameFrom) {
  const std::vector<testfont::Bytes> faces = {file_bytes(kDejaVuSans),
                                              file_bytes(kLiberationSerif)};
  const testfont::Bytes collection = testfont::collection_file(faces);
  dvhost::file_store::put("pair.ttc", collection);
  EXPECT_EQ(fn<LoadMemory>("_Z23dv_ttf_font_load_memoryPKvmf")(collection.data(), collection.size(),
                                                               20.0f),
            nullptr);
  EXPECT_EQ(load_ex(collection, DV_TTF_LOAD_ALL | dv_ttf_face_option(2)), nullptr);
  for (unsigned int face = 0; face < faces.size(); ++face) {
    void* single = load_ex(faces[face], 0);
    void* from_memory = load_ex(collection, DV_TTF_LOAD_COLLECTIONS | dv_ttf_face_option(face));
    void* from_file = load_file_ex("pair.ttc", DV_TTF_LOAD_CFF | DV_TTF_LOAD_COLLECTIONS |
                                                   dv_ttf_face_option(face));
    ASSERT_NE(from_memory, nullptr) << face;
    ASSERT_NE(from_file, nullptr) << face;
    const std::vector<uint8_t> expected = render(single, "Face by face");
    EXPECT_EQ(render(from_memory, "Face by face"), expected) << face;
    EXPECT_EQ(render(from_file, "Face by face"), expected) << face;
    fn<void(void*, float)>("_Z18dv_ttf_font_resizePvf")(from_file, 33.0f);
    EXPECT_FALSE(render(from_file, "Face by face").empty());
    for (void* handle : {single, from_memory, from_file})
      release(handle);
  }
  EXPECT_EQ(leaked_blocks(), 0);
}
