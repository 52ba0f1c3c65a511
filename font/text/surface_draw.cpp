// Drawing laid-out text straight onto a caller's surface: each line's coverage composed
// into a strip the size of its visible part, as the render's canvas would hold it, then
// blended onto the surface by the formula of font/text/surface_blend.h.
#include "abi/allocation_scope.h"
#include "font/text/laid_out_text.h"
#include "font/text/pixel_rounding.h"
#include "font/text/surface_blend.h"
#include "runtime/export.h"
#include "runtime/memory.h"

namespace {

int64_t clamp64(int64_t value, int64_t low, int64_t high) {
  return value < low ? low : (value > high ? high : value);
}

bool valid_surface(const DvTtfSurface* surface) {
  return surface != nullptr && surface->pixels != nullptr && surface->width > 0 &&
         surface->height > 0 && surface->pitch >= int64_t{4} * surface->width &&
         surface->format >= text_layout::kFormatBgrx8888 &&
         surface->format <= text_layout::kFormatRgba8888;
}

// A rectangle of surface pixels: columns [left, right), rows [top, bottom).
struct Area {
  int64_t left;
  int64_t top;
  int64_t right;
  int64_t bottom;
  int64_t width() const { return right - left; }
  bool empty() const { return left >= right || top >= bottom; }
};

// The colour as the blend takes it, and the opacity as A.
struct Ink {
  uint8_t rgb[3];
  uint32_t opacity;

  Ink(int red, int green, int blue, double opacity_value)
      : rgb{static_cast<uint8_t>(clamp64(red, 0, 255)),
            static_cast<uint8_t>(clamp64(green, 0, 255)),
            static_cast<uint8_t>(clamp64(blue, 0, 255))},
        opacity(static_cast<uint32_t>(
            clamp64(pixel_rounding::nearest_to_int64(opacity_value), 0, 255))) {}
};

bool draws(const GlyphBitmap& bitmap) {
  return bitmap.width > 0 && bitmap.height > 0 &&
         bitmap.pixels.size >= static_cast<uint64_t>(bitmap.width) * bitmap.height;
}

// Composes `glyph`, its column 0 at surface column `left` and row 0 at `top`, into the
// strip covering `area`, by the canvas's rule d = c + ((255 - c) * d) / 255.
void compose_glyph(const GlyphBitmap& glyph, int64_t left, int64_t top, const Area& area,
                   unsigned char* strip) {
  const int64_t from_x = clamp64(left, area.left, area.right);
  const int64_t to_x = clamp64(left + glyph.width, area.left, area.right);
  const int64_t from_y = clamp64(top, area.top, area.bottom);
  const int64_t to_y = clamp64(top + glyph.height, area.top, area.bottom);
  for (int64_t y = from_y; y < to_y; ++y) {
    const unsigned char* source = glyph.pixels.data + (y - top) * glyph.width + (from_x - left);
    unsigned char* target = strip + (y - area.top) * area.width() + (from_x - area.left);
    for (int64_t i = 0; i < to_x - from_x; ++i) {
      const unsigned int coverage = source[i];
      const unsigned int below = target[i];
      // Over an empty pixel the rule gives the coverage itself.
      if (below == 0)
        target[i] = static_cast<unsigned char>(coverage);
      else if (coverage != 0)
        target[i] = static_cast<unsigned char>(coverage + ((255 - coverage) * below) / 255);
    }
  }
}

// The strip's pixels onto the surface. Coverage c and opacity A are at most 255, so
// c * A and every blend term stay below 2^32; each value is the formula's to the bit (see
// surface_blend.h): pixels of alpha 0 are skipped because the formula leaves them as they
// are.
void blend_strip(const unsigned char* strip, const Area& area, const Ink& ink,
                 const DvTtfSurface& surface) {
  const int red = surface.format == text_layout::kFormatBgrx8888 ? 2 : 0;
  const int blue = 2 - red;
  for (int64_t y = area.top; y < area.bottom; ++y) {
    const unsigned char* coverage = strip + (y - area.top) * area.width();
    uint8_t* row = static_cast<uint8_t*>(surface.pixels) + y * surface.pitch + area.left * 4;
    for (int64_t x = 0; x < area.width(); ++x) {
      // Eight uncovered pixels at once: most of a text's box is empty.
      uint64_t eight = 1;
      if (x + 8 <= area.width())
        __builtin_memcpy(&eight, coverage + x, 8);
      if (eight == 0) {
        x += 7;
        continue;
      }
      const uint32_t alpha = (coverage[x] * ink.opacity) / 255;
      if (alpha == 0)
        continue;
      uint8_t* pixel = row + x * 4;
      if (surface.format == text_layout::kFormatRgba8888) {
        surface_blend::straight_pixel(ink.rgb, alpha, pixel);
        continue;
      }
      pixel[red] = surface_blend::opaque_channel(ink.rgb[0], pixel[red], alpha);
      pixel[1] = surface_blend::opaque_channel(ink.rgb[1], pixel[1], alpha);
      pixel[blue] = surface_blend::opaque_channel(ink.rgb[2], pixel[blue], alpha);
    }
  }
}

// The part of a line box, its top-left corner at surface (left, top), on the surface.
Area visible_area(const LaidLine& line, int64_t left, int64_t top, const DvTtfSurface& surface) {
  return Area{clamp64(left, 0, surface.width), clamp64(top, 0, surface.height),
              clamp64(left + line.width, 0, surface.width),
              clamp64(top + line.height, 0, surface.height)};
}

// One line, its box's top-left corner at surface (left, top), clipped to the surface. The
// strip has room for it already.
void draw_line(TextScratch& scratch, const LaidLine& line, int64_t left, int64_t top,
               const Ink& ink, const DvTtfSurface& surface) {
  const Area area = visible_area(line, left, top, surface);
  if (area.empty())
    return;
  scratch.strip.clear();
  scratch.strip.resize(static_cast<size_t>(area.width() * (area.bottom - area.top)));
  for (uint32_t i = line.first_glyph; i < line.glyph_end; ++i) {
    const PlacedGlyph& glyph = scratch.placed.data[i];
    if (draws(*glyph.bitmap))
      compose_glyph(*glyph.bitmap, left + glyph.x, top + glyph.y, area, scratch.strip.data);
  }
  blend_strip(scratch.strip.data, area, ink, surface);
}

int draw_text(void* handle, const char* text, const DvTtfLayout* record,
              const DvTtfSurface* surface, int x, int y, const Ink& ink) {
  LaidOutText laid_out(handle, text, record);
  if (!laid_out.usable() || !valid_surface(surface))
    return 0;
  if (text[0] == 0)
    return 1;
  if (!laid_out.lay_out(nullptr))
    return 0;
  TextScratch& scratch = laid_out.scratch();
  size_t largest = 0;
  for (const LaidLine& line : scratch.lines) {
    const Area area = visible_area(line, int64_t{x} + line.x, int64_t{y} + line.top, *surface);
    const auto size =
        area.empty() ? 0 : static_cast<size_t>(area.width() * (area.bottom - area.top));
    largest = size > largest ? size : largest;
  }
  scratch.strip.reserve(largest);
  for (const LaidLine& line : scratch.lines)
    draw_line(scratch, line, int64_t{x} + line.x, int64_t{y} + line.top, ink, *surface);
  return 1;
}

} // namespace

namespace dv {

// In an allocation scope: a draw the heap cannot hold gives 0. Every allocation happens
// before the first pixel is written, so such a draw leaves the surface as it was.
DV_FUNCTION_AS(int, dv_ttf_font_draw,
               "_Z16dv_ttf_font_drawPvPKcPK11DvTtfLayoutPK12DvTtfSurfaceiiiiid",
               (void* handle, const char* text, const DvTtfLayout* layout,
                const DvTtfSurface* surface, int x, int y, int red, int green, int blue,
                double opacity)) {
  return null_on_allocation_failure([&] {
    return draw_text(handle, text, layout, surface, x, y, Ink(red, green, blue, opacity));
  });
}

} // namespace dv
