// Opening a font: its format told from its first bytes (and the options), a backend of
// that format loaded with the bytes, and a handle around it.
#pragma once
#include "font/font_handle.h"

// The handle of a font given as bytes, or null for no bytes, options the library does not
// know, or a font no backend the options allow accepts. Runs inside an allocation scope
// (abi/allocation_scope.h): a failed allocation unwinds through here, releasing
// everything on the way.
FontHandle* load_font_from_memory(const void* data, unsigned long size, float pixel_size,
                                  unsigned int options);

// The same for the file `path` of the library's file system; null when it cannot be read.
FontHandle* load_font_from_file(const char* path, float pixel_size, unsigned int options);
