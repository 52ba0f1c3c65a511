// What dvttf-info reports about the CFF outlines of an OpenType font the library loaded.
#pragma once

#include <cstdio>

#include "font/cff/font.h"

namespace dvttf_info {

// Whether the font is CID-keyed (and its Font DICTs), its charstring count and its global
// and local subroutines.
void print_cff_facts(const CffFont& font, FILE* out);

} // namespace dvttf_info
