#include "font/font_api.h"
#include "runtime/export.h"

namespace dv {

// Text rendering is not built yet: every request yields no image.
DV_FUNCTION_AS(TextImage*, dv_ttf_font_render, "_Z18dv_ttf_font_renderPvPKciiid",
               (void* handle, const char* text, int red, int green, int blue, double opacity)) {
  (void)handle, (void)text, (void)red, (void)green, (void)blue, (void)opacity;
  return nullptr;
}

} // namespace dv
