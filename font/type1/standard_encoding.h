// The standard encoding of the Type 1 format: the glyph names of the codes that fonts
// declaring "/Encoding StandardEncoding" use, and that seac's character codes refer to.
#pragma once

#include "containers/array.h"
#include "containers/string.h"

// The name StandardEncoding gives `code`, or null for a code it leaves unused (or past 255).
const char* standard_encoding_name(unsigned int code);

// Replaces every slot of `encoding` with the standard encoding's name (empty where unused).
void fill_standard_encoding(dv::array<dv::string, 256>& encoding);
