// A fixed number of elements stored inline, without a size field. The elements
// are destroyed from the last to the first, as for any built-in array member.
#pragma once
#include <stddef.h>

namespace dv {

template <class T, size_t N> struct array {
  T elements[N];

  static constexpr size_t size() { return N; }
  T* data() { return elements; }
  const T* data() const { return elements; }
  T* begin() { return elements; }
  T* end() { return elements + N; }
  const T* begin() const { return elements; }
  const T* end() const { return elements + N; }
  T& operator[](size_t index) { return elements[index]; }
  const T& operator[](size_t index) const { return elements[index]; }
};

} // namespace dv
