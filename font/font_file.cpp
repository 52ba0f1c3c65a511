#include "font/font_api.h"
#include "runtime/export.h"

namespace dv {

// Loading from a path needs the file streams, which are not built yet.
DV_FUNCTION_AS(void*, dv_ttf_font_load, "_Z16dv_ttf_font_loadPKcf",
               (const char* path, float pixel_size)) {
  (void)path, (void)pixel_size;
  return nullptr;
}

} // namespace dv
