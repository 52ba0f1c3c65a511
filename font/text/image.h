// The image dv_ttf_font_render hands to its caller. Callers read the record directly, so
// its layout is fixed: width at byte 0, height at 4, the pixel pointer at 8 and two
// reserved words at 16 and 24. The record comes from `new` and the pixel array from
// `new[]`; the caller releases each with the matching delete.
#pragma once
#include <stddef.h>
#include <stdint.h>

struct TextImage {
  int32_t width;
  int32_t height;
  uint8_t* pixels; // width * height * 4 bytes, RGBA, rows top first; never null
  uint64_t reserved[2];
};

static_assert(sizeof(TextImage) == 32);
static_assert(offsetof(TextImage, pixels) == 8);
static_assert(offsetof(TextImage, reserved) == 16);

// A new record owning `pixels` (from new[]), reserved words 0. The pixels are released
// when the record cannot be allocated.
TextImage* make_text_image(int32_t width, int32_t height, uint8_t* pixels);

// A 0 x 0 image whose pixel pointer holds 4 zero bytes.
TextImage* make_empty_image();
