// Font bytes from the test builder as the library's byte vector, and loading helpers.
#pragma once

#include <memory>

#include "font/truetype/font.h"
#include "support/sfnt_builder.h"

inline dv::vector<unsigned char> dv_bytes(const testfont::Bytes& bytes) {
  return dv::vector<unsigned char>(bytes.data(), bytes.data() + bytes.size());
}

inline std::unique_ptr<TrueTypeFont> load_font(const testfont::Bytes& bytes) {
  auto font = std::make_unique<TrueTypeFont>();
  if (!load_truetype_font(*font, dv_bytes(bytes)))
    return nullptr;
  return font;
}
