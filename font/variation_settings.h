// The text form of a variable font's instance: comma-separated `tag=value` pairs such as
// "wght=700,wdth=87.5". A tag is one to four characters (shorter ones are padded with
// spaces, as the font's tags are), a value an optionally signed decimal number with an
// optional fraction; spaces may surround either. A later pair for the same tag wins.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/sfnt/font_variations.h"

// The user values `settings` gives every axis of `variations` (defaults for the axes it
// does not name) into `values`; false for a malformed string or a tag the font lacks.
// Null or "" gives every default.
bool parse_variation_settings(const char* settings, const FontVariations& variations,
                              dv::vector<double>& values);
