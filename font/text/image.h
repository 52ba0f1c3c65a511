// The image dv_ttf_font_render hands to its caller: the record include/DovrelTTF.h
// declares (TextImage), made here. The record comes from `new` and the pixel array from
// `new[]`; the caller releases each with the matching delete.
#pragma once
#include <stdint.h>

#include "include/DovrelTTF.h"

// A new record owning `pixels` (from new[]), reserved words 0. The pixels are released
// when the record cannot be allocated.
TextImage* make_text_image(int32_t width, int32_t height, uint8_t* pixels);

// A 0 x 0 image whose pixel pointer holds 4 zero bytes.
TextImage* make_empty_image();
