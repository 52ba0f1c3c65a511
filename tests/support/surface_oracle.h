// The straightforward way to put a rendered text image onto a 32-bit surface: blend every
// pixel of the image, one division per channel, by the formula include/DovrelTTF.h gives
// for dv_ttf_font_draw. Tests compare the library's draws against it; the benchmarks time
// it as what a caller would write without dv_ttf_font_draw.
#pragma once

#include <cstdint>

namespace surface_oracle {

enum Format : uint32_t { kBgrx8888 = 1, kRgbx8888 = 2, kRgba8888 = 3 };

// Blends the RGBA image (width x height, straight alpha) with its top-left pixel at
// (x, y) onto the surface, clipped to it.
void blit(const uint8_t* image, int32_t width, int32_t height, uint8_t* surface,
          int32_t surface_width, int32_t surface_height, int32_t pitch, uint32_t format, int64_t x,
          int64_t y);

} // namespace surface_oracle
