#include "containers/hash.h"

namespace dv::detail {

unsigned long hash_bytes(const void* bytes, size_t length) {
  const unsigned char* byte = static_cast<const unsigned char*>(bytes);
  unsigned long hash = kHashStart;
  for (size_t i = 0; i < length; ++i) {
    hash ^= byte[i];
    hash *= kHashPrime;
  }
  return hash;
}

} // namespace dv::detail
