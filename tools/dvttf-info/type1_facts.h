// What dvttf-info reports about a Type 1 font the library loaded.
#pragma once

#include <cstdio>

#include "font/type1/font.h"

namespace dvttf_info {

// Metrics as the library reads them, its encoding entries, and which charstrings the
// straight-line interpreter draws (with the reason for each one it does not).
// `standard_encoding` tells that the file declares StandardEncoding.
void print_type1_facts(const Type1Font& font, bool standard_encoding, FILE* out);

} // namespace dvttf_info
