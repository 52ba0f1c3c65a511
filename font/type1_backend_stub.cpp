#include "font/font_api.h"

// Type 1 font programs are not read yet: such data yields no backend.
FontBackend* make_type1_backend() {
  return nullptr;
}
