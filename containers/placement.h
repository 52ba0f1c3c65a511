// Construction in already allocated storage. The library has no <new>, so it
// carries its own placement form; the tag keeps it apart from the standard
// placement operator in translation units that also include <new>.
#pragma once
#include <stddef.h>

#include "containers/utility.h"

namespace dv::detail {
struct PlacementTag {};
} // namespace dv::detail

inline void* operator new(size_t, dv::detail::PlacementTag, void* where) noexcept {
  return where;
}
inline void operator delete(void*, dv::detail::PlacementTag, void*) noexcept {}

namespace dv::detail {

// Builds a T at `where` from the arguments; records without constructors are
// brace-initialised, and no arguments means value-initialisation (zero for scalars).
template <class T, class... Args> T* construct_at(T* where, Args&&... args) {
  if constexpr (__is_constructible(T, Args...)) {
    return ::new (PlacementTag{}, where) T(dv::forward<Args>(args)...);
  } else {
    return ::new (PlacementTag{}, where) T{dv::forward<Args>(args)...};
  }
}

template <class T> void destroy_at(T* where) {
  if constexpr (!__is_trivially_destructible(T)) {
    where->~T();
  }
}

} // namespace dv::detail
