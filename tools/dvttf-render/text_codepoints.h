// The code points of a text as the library decodes it (font/text/utf8.h): line feeds
// split lines, carriage returns are dropped, bad UTF-8 gives U+FFFD.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dvttf_render {

// Each distinct code point of `text` once, in order of first appearance.
std::vector<uint32_t> distinct_codepoints(const std::string& text);

// "U+00E9 'é'": the code point, and the character itself when it is printable.
std::string describe_codepoint(uint32_t codepoint);

} // namespace dvttf_render
