// What the extended loader's complete Type 1 option (4) makes of a Type 1 font that the
// standard loader reads with its straight-line charstrings and explicit encoding only.
#pragma once

#include <cstdio>
#include <string>

namespace dvttf_info {

// Loads the font program in `bytes` in the complete mode and prints how many charstrings
// draw there and how many code points of U+0020-U+024F find a glyph by its name (and, in a
// symbol font, through its encoding).
void print_complete_type1_facts(const std::string& bytes, FILE* out);

} // namespace dvttf_info
