// One code point (below 2^21) as UTF-8 bytes, for the tools' output.
#pragma once

#include <cstdint>
#include <string>

namespace dvttf_tools {

inline std::string encode_utf8(uint32_t codepoint) {
  if (codepoint < 0x80) {
    return std::string(1, static_cast<char>(codepoint));
  }
  if (codepoint < 0x800) {
    return {static_cast<char>(0xC0 | codepoint >> 6), static_cast<char>(0x80 | (codepoint & 0x3F))};
  }
  if (codepoint < 0x10000) {
    return {static_cast<char>(0xE0 | codepoint >> 12),
            static_cast<char>(0x80 | (codepoint >> 6 & 0x3F)),
            static_cast<char>(0x80 | (codepoint & 0x3F))};
  }
  return {static_cast<char>(0xF0 | codepoint >> 18),
          static_cast<char>(0x80 | (codepoint >> 12 & 0x3F)),
          static_cast<char>(0x80 | (codepoint >> 6 & 0x3F)),
          static_cast<char>(0x80 | (codepoint & 0x3F))};
}

} // namespace dvttf_tools
