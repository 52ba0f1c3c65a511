// The options word of the extended loaders (dv_ttf_font_load_memory_ex, dv_ttf_font_load_ex),
// whose bits include/DovrelTTF.h states (DV_TTF_LOAD_*); the names here are the library's
// own for them. Bits 0-15 below the face hold the options; those that turn on nothing this
// library has are reserved, and an options word that sets any of them is refused (the
// load gives null), so a caller asking for a feature this library lacks learns it at once.
#pragma once

#include "include/DovrelTTF.h"

namespace load_option {

constexpr unsigned int kOpenTypeCff = DV_TTF_LOAD_CFF;
constexpr unsigned int kCollections = DV_TTF_LOAD_COLLECTIONS;
constexpr unsigned int kCompleteType1 = DV_TTF_LOAD_COMPLETE_TYPE1;
constexpr unsigned int kKerning = DV_TTF_LOAD_KERNING;
constexpr unsigned int kHinting = DV_TTF_LOAD_HINTING;
constexpr unsigned int kExtendedCmaps = DV_TTF_LOAD_CHARACTER_MAPS;
constexpr unsigned int kBorrow = DV_TTF_LOAD_BORROW;
constexpr unsigned int kFaceShift = 16; // options >> kFaceShift: the collection face
constexpr unsigned int kKnownBits = DV_TTF_LOAD_ALL | kHinting | kExtendedCmaps | kBorrow;
constexpr unsigned int kReservedBits = ((1u << kFaceShift) - 1) & ~kKnownBits;

static_assert(dv_ttf_face_option(1) == 1u << kFaceShift);

constexpr unsigned int face_index(unsigned int options) {
  return options >> kFaceShift;
}

} // namespace load_option
