#include "runtime/memory.h"

#include "runtime/export.h"

namespace dv {

DV_FUNCTION(void*, memcpy, (void* destination, const void* source, size_t length)) {
  auto* to = static_cast<unsigned char*>(destination);
  const auto* from = static_cast<const unsigned char*>(source);
  for (size_t i = 0; i < length; ++i)
    to[i] = from[i];
  return destination;
}

DV_FUNCTION(void*, memmove, (void* destination, const void* source, size_t length)) {
  auto* to = static_cast<unsigned char*>(destination);
  const auto* from = static_cast<const unsigned char*>(source);
  if (length == 0 || to == from)
    return destination;
  if (to < from) {
    for (size_t i = 0; i < length; ++i)
      to[i] = from[i];
  } else {
    for (size_t i = length; i > 0; --i)
      to[i - 1] = from[i - 1];
  }
  return destination;
}

DV_FUNCTION(void*, memset, (void* destination, int value, size_t length)) {
  auto* to = static_cast<unsigned char*>(destination);
  for (size_t i = 0; i < length; ++i)
    to[i] = static_cast<unsigned char>(value);
  return destination;
}

DV_FUNCTION(void, bzero, (void* destination, size_t length)) {
  dv::memset(destination, 0, length);
}

DV_FUNCTION(void, __bzero, (void* destination, size_t length)) {
  dv::memset(destination, 0, length);
}

DV_FUNCTION(int, memcmp, (const void* left, const void* right, size_t length)) {
  const auto* a = static_cast<const unsigned char*>(left);
  const auto* b = static_cast<const unsigned char*>(right);
  for (size_t i = 0; i < length; ++i) {
    if (a[i] != b[i])
      return a[i] - b[i];
  }
  return 0;
}

DV_FUNCTION(void*, memchr, (const void* block, int value, size_t length)) {
  const auto* bytes = static_cast<const unsigned char*>(block);
  for (size_t i = 0; i < length; ++i) {
    if (bytes[i] == static_cast<unsigned char>(value))
      return const_cast<unsigned char*>(bytes + i);
  }
  return nullptr;
}

} // namespace dv
