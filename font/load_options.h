// The options word of the extended loaders (dv_ttf_font_load_memory_ex, dv_ttf_font_load_ex).
// Bits 0-4 and 6 turn on formats and features, bits 16-31 pick a face of a collection; bits
// 5 and 7-15 are reserved, and an options word that sets any of them is refused (the load gives
// null), so a caller asking for a feature this library lacks learns it at once.
#pragma once

namespace load_option {

constexpr unsigned int kOpenTypeCff = 1u;    // sfnt fonts with CFF outlines ("OTTO")
constexpr unsigned int kCollections = 2u;    // font collections ("ttcf")
constexpr unsigned int kCompleteType1 = 4u;  // every Type 1 charstring operator, glyph names
constexpr unsigned int kKerning = 8u;        // pair kerning while laying out text
constexpr unsigned int kHinting = 16u;       // light, vertical-only hinting of every glyph
constexpr unsigned int kExtendedCmaps = 64u; // character maps of formats 0, 13 and 14 too
constexpr unsigned int kFaceShift = 16;      // options >> kFaceShift: the collection face
constexpr unsigned int kReservedBits = 0xFFA0u;

constexpr unsigned int face_index(unsigned int options) {
  return options >> kFaceShift;
}

} // namespace load_option
