// The font backend for Type 1 font programs (PFB and PFA).
#pragma once
#include "font/backend.h"

// `options` is the extended loaders' options word (font/load_options.h), 0 from the
// standard loaders.
FontBackend* make_type1_backend(unsigned int options = 0);
