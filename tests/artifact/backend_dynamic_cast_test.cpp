// __dynamic_cast of the artifact on the artifact's own font backends, reached through a
// real TrueType font and a Type 1 font program.
#include <fstream>
#include <iterator>
#include <vector>

#include "artifact/artifact_fixture.h"
#include "support/type1_builder.h"

namespace {

struct TypeInfoRecord {
  const void* vtable;
  const char* name;
};
struct SiTypeInfoRecord {
  TypeInfoRecord type;
  const TypeInfoRecord* base;
};

using DynamicCast = void*(const void*, const void*, const void*, ptrdiff_t);

std::vector<char> read_file(const char* path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

const SiTypeInfoRecord* dynamic_type_of(const void* object) {
  auto* address_point = *static_cast<const uintptr_t* const*>(object);
  return reinterpret_cast<const SiTypeInfoRecord*>(address_point[-1]);
}

class BackendDynamicCast : public dvtest::ArtifactTest {
protected:
  void* load(const void* bytes, size_t size) {
    return fn<void*(const void*, unsigned long, float)>("_Z23dv_ttf_font_load_memoryPKvmf")(
        bytes, size, 16.0f);
  }
  void release(void* handle) { fn<void(void*)>("_Z16dv_ttf_font_freePv")(handle); }
};

// Each handle's first member is its backend, seen as a FontBackend; the word before the
// backend's vtable address point names its dynamic type.
TEST_F(BackendDynamicCast, EachBackendCastsToItsOwnTypeAndNotToTheOther) {
  std::vector<char> ttf = read_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  testfont::Type1Builder type1_font;
  type1_font.subrs = {{0, testfont::Charstring().ret().bytes()}};
  type1_font.charstrings = {{"A", testfont::Charstring().hsbw(0, 500).endchar().bytes()}};
  testfont::Bytes pfb = type1_font.pfb();
  void* truetype = load(ttf.data(), ttf.size());
  void* type1 = load(pfb.data(), pfb.size());
  ASSERT_NE(truetype, nullptr);
  ASSERT_NE(type1, nullptr);
  auto* dynamic_cast_object = fn<DynamicCast>("__dynamic_cast");
  auto* si_vtable = data<const void*>("_ZTVN10__cxxabiv120__si_class_type_infoE");

  const void* truetype_backend = *static_cast<void* const*>(truetype);
  const void* type1_backend = *static_cast<void* const*>(type1);
  const SiTypeInfoRecord* truetype_type = dynamic_type_of(truetype_backend);
  const SiTypeInfoRecord* type1_type = dynamic_type_of(type1_backend);
  ASSERT_EQ(truetype_type->type.vtable, si_vtable + 2);
  ASSERT_EQ(type1_type->type.vtable, si_vtable + 2);
  EXPECT_STREQ(truetype_type->type.name, "11SfntBackendIN12_GLOBAL__N_116TrueTypeOutlinesEE");
  EXPECT_STREQ(type1_type->type.name, "N12_GLOBAL__N_112Type1BackendE");
  const TypeInfoRecord* font_backend = truetype_type->base;
  EXPECT_STREQ(font_backend->name, "11FontBackend");
  EXPECT_EQ(type1_type->base, font_backend);

  struct Case {
    const void* object;
    const void* target;
    const void* expected;
  } cases[] = {
      {truetype_backend, truetype_type, truetype_backend},
      {truetype_backend, font_backend, truetype_backend},
      {truetype_backend, type1_type, nullptr},
      {type1_backend, type1_type, type1_backend},
      {type1_backend, font_backend, type1_backend},
      {type1_backend, truetype_type, nullptr},
      {nullptr, truetype_type, nullptr},
      {truetype_backend, nullptr, nullptr},
  };
  for (const Case& c : cases)
    EXPECT_EQ(dynamic_cast_object(c.object, font_backend, c.target, -1), c.expected);
  release(truetype);
  release(type1);
}

} // namespace
