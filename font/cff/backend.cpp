// The font backend for OpenType fonts with CFF outlines.
#include "font/font_api.h"

FontBackend* make_cff_backend(unsigned int) {
  return nullptr;
}
