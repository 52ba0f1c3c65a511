// Type matching for catch clauses and dynamic_cast over single-inheritance class
// hierarchies, reading the type_info records the compiler emits.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace dv {

// Every type_info: its vtable pointer and its mangled name.
struct TypeInfoRecord {
  const void* vtable;
  const char* name;
};

// A class with exactly one public non-virtual base at its start.
struct SiClassTypeInfoRecord {
  TypeInfoRecord type;
  const TypeInfoRecord* base;
};

// True for a type_info of a single-inheritance class (its vtable pointer is the
// address point of the runtime's __si_class_type_info vtable).
bool is_single_inheritance_class(const TypeInfoRecord* type) noexcept;

// Same type: same address, or equal mangled names.
bool same_type(const TypeInfoRecord* left, const TypeInfoRecord* right) noexcept;

// True when `catch_type` is null (catch-all) or when `thrown_type` or one of its
// single-inheritance ancestors is the same type as `catch_type`.
bool type_matches(const void* thrown_type, const void* catch_type) noexcept;

// The most-derived object of `object` when its dynamic type matches `target_type`,
// else null. The source type and the offset hint are not used. Exported as
// __dynamic_cast.
void* dynamic_cast_object(const void* object, const void* source_type, const void* target_type,
                          ptrdiff_t hint) noexcept;

} // namespace dv
