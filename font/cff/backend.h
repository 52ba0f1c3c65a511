// The font backend for OpenType fonts with CFF outlines.
#pragma once
#include "font/backend.h"

// `options` is the extended loaders' options word (font/load_options.h).
FontBackend* make_cff_backend(unsigned int options = 0);
