#include <gtest/gtest.h>

#include <typeinfo>

#include "abi/type_info_vtables.h"
#include "abi/type_matching.h"

namespace {

// Type_info records laid out as the compiler emits them, pointing at the runtime's
// class type_info vtables.
struct VmiRecord {
  dv::TypeInfoRecord type;
  uint32_t flags;
  uint32_t base_count;
  const dv::TypeInfoRecord* base;
  long offset_flags;
};

const dv::TypeInfoRecord kFontBackend{dv::class_type_info_address_point(),
                                      "N12_GLOBAL__N_111FontBackendE"};
const dv::SiClassTypeInfoRecord kTrueType{
    {dv::si_class_type_info_address_point(), "N12_GLOBAL__N_115TrueTypeBackendE"}, &kFontBackend};
const dv::SiClassTypeInfoRecord kType1{
    {dv::si_class_type_info_address_point(), "N12_GLOBAL__N_112Type1BackendE"}, &kFontBackend};
// A second level below TrueTypeBackend.
const dv::SiClassTypeInfoRecord kHinted{{dv::si_class_type_info_address_point(), "6Hinted"},
                                        &kTrueType.type};
// The same type as TrueTypeBackend, emitted by another module.
const dv::TypeInfoRecord kTrueTypeElsewhere{dv::class_type_info_address_point(),
                                            "N12_GLOBAL__N_115TrueTypeBackendE"};
const VmiRecord kMixed{{dv::vmi_class_type_info_address_point(), "5Mixed"}, 0, 1, &kFontBackend, 2};
const dv::TypeInfoRecord kNameless{dv::class_type_info_address_point(), nullptr};
const dv::TypeInfoRecord kOtherNameless{dv::class_type_info_address_point(), nullptr};

struct MatchCase {
  const void* thrown;
  const void* caught;
  bool matches;
};

TEST(TypeMatching, CatchClauses) {
  const MatchCase cases[] = {
      {&kTrueType, nullptr, true},
      {nullptr, nullptr, true},
      {nullptr, &kFontBackend, false},
      {&kTrueType, &kTrueType, true},
      {&kTrueType, &kFontBackend, true},
      {&kHinted, &kFontBackend, true},
      {&kHinted, &kTrueType, true},
      {&kFontBackend, &kTrueType, false},
      {&kTrueType, &kType1, false},
      {&kType1, &kTrueType, false},
      {&kHinted, &kType1, false},
      {&kTrueTypeElsewhere, &kTrueType, true},
      {&kTrueType, &kTrueTypeElsewhere, true},
      {&kMixed, &kMixed, true},
      {&kMixed, &kFontBackend, false},
      {&kNameless, &kOtherNameless, true},
      {&kNameless, &kFontBackend, false},
      {&kFontBackend, &kNameless, false},
  };
  for (const MatchCase& c : cases) {
    auto name = [](const void* type) {
      return type ? static_cast<const dv::TypeInfoRecord*>(type)->name : "(null)";
    };
    EXPECT_EQ(dv::type_matches(c.thrown, c.caught), c.matches)
        << (name(c.thrown) ? name(c.thrown) : "(no name)") << " caught as "
        << (name(c.caught) ? name(c.caught) : "(no name)");
  }
}

TEST(TypeMatching, OnlyTheSiVtableMarksSingleInheritance) {
  EXPECT_TRUE(dv::is_single_inheritance_class(&kTrueType.type));
  EXPECT_FALSE(dv::is_single_inheritance_class(&kFontBackend));
  EXPECT_FALSE(dv::is_single_inheritance_class(&kMixed.type));
}

// An object in the Itanium layout: the first word points at the vtable's address point,
// preceded by the type_info pointer and the offset to the most-derived object.
struct FakeVtable {
  intptr_t offset_to_top;
  const void* type;
  void* functions[1];
};

struct FakeObject {
  const void* vtable;
  int payload;
};

TEST(TypeMatching, DynamicCastFollowsTheDynamicType) {
  FakeVtable vtable{0, &kType1, {nullptr}};
  FakeObject object{&vtable.functions, 7};
  EXPECT_EQ(dv::dynamic_cast_object(&object, &kFontBackend, &kType1, 0), &object);
  EXPECT_EQ(dv::dynamic_cast_object(&object, &kFontBackend, &kFontBackend, -1), &object);
  EXPECT_EQ(dv::dynamic_cast_object(&object, &kFontBackend, &kTrueType, 0), nullptr);
  EXPECT_EQ(dv::dynamic_cast_object(nullptr, &kFontBackend, &kType1, 0), nullptr);
  EXPECT_EQ(dv::dynamic_cast_object(&object, &kFontBackend, nullptr, 0), nullptr);
}

TEST(TypeMatching, DynamicCastReturnsTheMostDerivedObject) {
  struct Outer {
    FakeObject head;
    FakeObject inner;
  } outer{};
  FakeVtable vtable{-static_cast<intptr_t>(offsetof(Outer, inner)), &kHinted, {nullptr}};
  outer.inner.vtable = &vtable.functions;
  EXPECT_EQ(dv::dynamic_cast_object(&outer.inner, &kFontBackend, &kTrueType, 0), &outer);
}

} // namespace

// The compiler's own type_info objects and object layout.
namespace compiled {

struct FontBackend {
  virtual ~FontBackend() = default;
  int units = 0;
};
struct TrueTypeBackend : FontBackend {};
struct Type1Backend : FontBackend {};
struct Mixin {
  virtual ~Mixin() = default;
};
struct Both : FontBackend, Mixin {};

TEST(TypeMatching, CompilerEmittedTypeInfo) {
  EXPECT_TRUE(dv::type_matches(&typeid(TrueTypeBackend), &typeid(FontBackend)));
  EXPECT_TRUE(dv::type_matches(&typeid(TrueTypeBackend), &typeid(TrueTypeBackend)));
  EXPECT_FALSE(dv::type_matches(&typeid(FontBackend), &typeid(TrueTypeBackend)));
  EXPECT_FALSE(dv::type_matches(&typeid(Type1Backend), &typeid(TrueTypeBackend)));
  // Multiple inheritance is outside the walk: only the type itself matches.
  EXPECT_TRUE(dv::type_matches(&typeid(Both), &typeid(Both)));
  EXPECT_FALSE(dv::type_matches(&typeid(Both), &typeid(FontBackend)));
}

TEST(TypeMatching, DynamicCastOnCompiledObjects) {
  Type1Backend type1;
  FontBackend* seen = &type1;
  EXPECT_EQ(dv::dynamic_cast_object(seen, &typeid(FontBackend), &typeid(Type1Backend), 0), &type1);
  EXPECT_EQ(dv::dynamic_cast_object(seen, &typeid(FontBackend), &typeid(TrueTypeBackend), 0),
            nullptr);
}

} // namespace compiled
