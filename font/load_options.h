// The options word of the extended loaders (dv_ttf_font_load_memory_ex, dv_ttf_font_load_ex).
// Bits 0-3 turn on formats and features, bit 5 lets the memory loader read the caller's
// bytes in place, bits 16-31 pick a face of a collection; bit 4 and bits 6-15
// are reserved, and an options word that sets any of them is refused (the load gives null),
// so a caller asking for a feature this library lacks learns it at once.
#pragma once

namespace load_option {

constexpr unsigned int kOpenTypeCff = 1u;   // sfnt fonts with CFF outlines ("OTTO")
constexpr unsigned int kCollections = 2u;   // font collections ("ttcf")
constexpr unsigned int kCompleteType1 = 4u; // every Type 1 charstring operator, glyph names
constexpr unsigned int kKerning = 8u;       // pair kerning while laying out text
// The memory loader reads the caller's bytes in place instead of copying them; the file
// loader ignores it (it keeps the one copy it read).
constexpr unsigned int kBorrow = 32u;
constexpr unsigned int kFaceShift = 16; // options >> kFaceShift: the collection face
constexpr unsigned int kReservedBits = 0xFFD0u;

constexpr unsigned int face_index(unsigned int options) {
  return options >> kFaceShift;
}

} // namespace load_option
