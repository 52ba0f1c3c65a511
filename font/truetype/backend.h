// The font backend for sfnt fonts with TrueType (glyf) outlines.
#pragma once
#include "font/backend.h"

// `options` is the extended loaders' options word (font/load_options.h), 0 from the
// standard loaders.
FontBackend* make_truetype_backend(unsigned int options = 0);
