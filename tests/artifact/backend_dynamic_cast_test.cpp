// __dynamic_cast of the artifact on the artifact's own font backends, reached through a
// handle loaded from a real TrueType font.
#include <fstream>
#include <iterator>
#include <vector>

#include "artifact/artifact_fixture.h"

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

class BackendDynamicCast : public dvtest::ArtifactTest {};

TEST_F(BackendDynamicCast, TrueTypeBackendCastsToItsOwnTypeAndNotToType1) {
  std::vector<char> font = read_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  ASSERT_FALSE(font.empty());
  auto* load = fn<void*(const void*, unsigned long, float)>("_Z23dv_ttf_font_load_memoryPKvmf");
  auto* release = fn<void(void*)>("_Z16dv_ttf_font_freePv");
  auto* dynamic_cast_object = fn<DynamicCast>("__dynamic_cast");
  void* handle = load(font.data(), font.size(), 16.0f);
  ASSERT_NE(handle, nullptr);

  // The handle's first member is the backend, seen as a FontBackend; the word before its
  // vtable's address point names its dynamic type.
  const void* backend = *static_cast<void* const*>(handle);
  auto* address_point = *static_cast<const uintptr_t* const*>(backend);
  auto* dynamic_type = reinterpret_cast<const SiTypeInfoRecord*>(address_point[-1]);
  auto* si_vtable = data<const void*>("_ZTVN10__cxxabiv120__si_class_type_infoE");
  ASSERT_EQ(dynamic_type->type.vtable, si_vtable + 2);
  EXPECT_STREQ(dynamic_type->type.name, "N12_GLOBAL__N_115TrueTypeBackendE");
  const TypeInfoRecord* font_backend = dynamic_type->base;
  EXPECT_STREQ(font_backend->name, "11FontBackend");

  // The other backend's type_info as the compiler lays it out.
  const SiTypeInfoRecord type1{{si_vtable + 2, "N12_GLOBAL__N_112Type1BackendE"}, font_backend};

  EXPECT_EQ(dynamic_cast_object(backend, font_backend, dynamic_type, -1), backend);
  EXPECT_EQ(dynamic_cast_object(backend, font_backend, font_backend, -1), backend);
  EXPECT_EQ(dynamic_cast_object(backend, font_backend, &type1, -1), nullptr);
  EXPECT_EQ(dynamic_cast_object(nullptr, font_backend, dynamic_type, -1), nullptr);
  EXPECT_EQ(dynamic_cast_object(backend, font_backend, nullptr, -1), nullptr);
  release(handle);
}

} // namespace
