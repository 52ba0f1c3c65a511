#include "abi/type_matching.h"

#include "abi/type_info_vtables.h"
#include "runtime/export.h"

namespace dv {

bool is_single_inheritance_class(const TypeInfoRecord* type) noexcept {
  return type->vtable == si_class_type_info_address_point();
}

static bool same_name(const char* left, const char* right) noexcept {
  if (left == nullptr || right == nullptr)
    return left == right;
  for (;; ++left, ++right) {
    if (*left != *right)
      return false;
    if (*left == '\0')
      return true;
  }
}

bool same_type(const TypeInfoRecord* left, const TypeInfoRecord* right) noexcept {
  return left == right || same_name(left->name, right->name);
}

bool type_matches(const void* thrown_type, const void* catch_type) noexcept {
  if (catch_type == nullptr)
    return true;
  auto* wanted = static_cast<const TypeInfoRecord*>(catch_type);
  auto* type = static_cast<const TypeInfoRecord*>(thrown_type);
  while (type != nullptr) {
    if (same_type(type, wanted))
      return true;
    type = is_single_inheritance_class(type)
               ? reinterpret_cast<const SiClassTypeInfoRecord*>(type)->base
               : nullptr;
  }
  return false;
}

DV_FUNCTION_AS(void*, dynamic_cast_object, "__dynamic_cast",
               (const void* object, const void*, const void* target_type, ptrdiff_t) noexcept) {
  if (object == nullptr || target_type == nullptr)
    return nullptr;
  auto* address_point = *static_cast<const uintptr_t* const*>(object);
  auto offset_to_top = static_cast<intptr_t>(address_point[-2]);
  auto* dynamic_type = reinterpret_cast<const void*>(address_point[-1]);
  if (!type_matches(dynamic_type, target_type))
    return nullptr;
  uintptr_t most_derived =
      reinterpret_cast<uintptr_t>(object) + static_cast<uintptr_t>(offset_to_top);
  return reinterpret_cast<void*>(most_derived);
}

} // namespace dv
