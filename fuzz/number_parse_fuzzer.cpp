// Fuzzes the text-to-number conversions with arbitrary bytes and bases. Checks that `end`
// stays inside the text and that the paired functions agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runtime/number_parse.h"

namespace {

void check_end(const std::string& text, const char* end) {
  if (end < text.c_str() || end > text.c_str() + text.size())
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const int base = static_cast<int8_t>(data[0]);
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  char* signed_end = nullptr;
  char* unsigned_end = nullptr;
  const long value = dv::strtol(text.c_str(), &signed_end, base);
  if (static_cast<unsigned long>(value) != dv::strtoul(text.c_str(), &unsigned_end, base) ||
      signed_end != unsigned_end)
    std::abort();
  check_end(text, signed_end);

  const unsigned long long wide = dv::strtoull(text.c_str(), &unsigned_end, base);
  if (static_cast<long long>(wide) != dv::strtoll(text.c_str(), &signed_end, base) ||
      signed_end != unsigned_end)
    std::abort();
  check_end(text, signed_end);

  char* double_end = nullptr;
  char* float_end = nullptr;
  dv::strtod(text.c_str(), &double_end);
  dv::strtof(text.c_str(), &float_end);
  if (double_end != float_end)
    std::abort();
  check_end(text, double_end);
  return 0;
}
