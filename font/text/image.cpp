#include "font/text/image.h"

#include "containers/unique_ptr.h"

TextImage* make_text_image(int32_t width, int32_t height, uint8_t* pixels) {
  dv::unique_ptr<uint8_t[]> owned(pixels);
  auto* image = new TextImage;
  image->width = width;
  image->height = height;
  image->pixels = owned.release();
  image->reserved[0] = 0;
  image->reserved[1] = 0;
  return image;
}

TextImage* make_empty_image() {
  auto* pixels = new uint8_t[4];
  for (int i = 0; i < 4; ++i) {
    pixels[i] = 0;
  }
  return make_text_image(0, 0, pixels);
}
