// Fuzzes the formatter with arbitrary format strings. Every argument slot holds a pointer
// to a valid string, so %s is always safe and the other conversions read defined bits.
// Checks the bounded-output contract: a short buffer holds a NUL-terminated prefix of the
// full output, and the count does not depend on the buffer size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/format.h"

namespace {

constexpr int kMaxConversions = 24;
const char kArgument[] = "fuzz";

int format_with_arguments(char* buffer, size_t size, const char* format) {
  const char* a = kArgument;
  return dv::snprintf(buffer, size, format, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a, a,
                      a, a, a, a, a);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 4096)
    return 0;
  const size_t limit = data[0];
  std::string format(reinterpret_cast<const char*>(data + 1), size - 1);
  format = format.c_str(); // up to the first NUL
  int percent_signs = 0;
  for (char c : format)
    percent_signs += c == '%';
  if (percent_signs > kMaxConversions)
    return 0;

  static char full[1 << 20];
  const int length = format_with_arguments(full, sizeof full, format.c_str());
  if (length < 0 || static_cast<size_t>(length) >= sizeof full)
    std::abort();

  char* bounded = static_cast<char*>(std::malloc(limit + 1));
  const int bounded_length = format_with_arguments(bounded, limit, format.c_str());
  if (bounded_length != length)
    std::abort();
  if (limit > 0) {
    const size_t stored = std::strlen(bounded);
    const size_t expected = static_cast<size_t>(length) < limit - 1 ? length : limit - 1;
    if (bounded[expected] != '\0' || stored > expected || std::memcmp(bounded, full, stored) != 0)
      std::abort();
  }
  std::free(bounded);
  return 0;
}
