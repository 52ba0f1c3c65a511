#include "text_codepoints.h"

#include <cstdio>
#include <unordered_set>

#include "common/encode_utf8.h"
#include "font/text/utf8.h"

namespace dvttf_render {

std::vector<uint32_t> distinct_codepoints(const std::string& text) {
  std::vector<uint32_t> order;
  std::unordered_set<uint32_t> seen;
  TextLine line = first_line(text.c_str());
  for (;;) {
    for_each_codepoint(line, [&](unsigned int codepoint) {
      if (seen.insert(codepoint).second) {
        order.push_back(codepoint);
      }
      return true;
    });
    if (line.is_last()) {
      return order;
    }
    line = next_line(line);
  }
}

std::string describe_codepoint(uint32_t codepoint) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", codepoint);
  const bool control = codepoint < 0x20 || (codepoint >= 0x7F && codepoint < 0xA0);
  const bool spellable = codepoint <= 0x10FFFF && (codepoint < 0xD800 || codepoint > 0xDFFF);
  if (control || !spellable) {
    return name;
  }
  return std::string(name) + " '" + dvttf_tools::encode_utf8(codepoint) + "'";
}

} // namespace dvttf_render
