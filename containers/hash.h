// Hashing and key equality for dv::unordered_map. Keys are hashed by their
// bytes with a 64-bit FNV-1a step that starts from this library's own value.
#pragma once
#include <stddef.h>

#include "containers/string.h"
#include "containers/type_visibility.h"

namespace dv {
namespace detail {

inline constexpr unsigned long kHashStart = 0x14650fb0739d0383UL;
inline constexpr unsigned long kHashPrime = 0x100000001b3UL;

unsigned long hash_bytes(const void* bytes, size_t length);

} // namespace detail

template <class K> struct DV_VISIBLE_TYPE hash;

template <> struct DV_VISIBLE_TYPE hash<unsigned int> {
  unsigned long operator()(unsigned int key) const { return detail::hash_bytes(&key, sizeof key); }
};

template <> struct DV_VISIBLE_TYPE hash<string_view> {
  unsigned long operator()(string_view key) const {
    return detail::hash_bytes(key.data ? key.data : "", key.size);
  }
};

template <> struct DV_VISIBLE_TYPE hash<string> {
  unsigned long operator()(const string& key) const {
    return detail::hash_bytes(key.c_str(), key.size);
  }
};

template <class K> struct DV_VISIBLE_TYPE equal_to {
  bool operator()(const K& left, const K& right) const { return left == right; }
};

} // namespace dv
