// The records the laid-out text functions take from and give to their callers are those
// include/DovrelTTF.h declares (DvTtfLayout, DvTtfSurface, DvTtfCaret; the exported names
// spell these type names); the names here are the library's own for their constants.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "include/DovrelTTF.h"

// The records as the exported names and their callers lay them out.
static_assert(sizeof(DvTtfLayout) == 16);
static_assert(sizeof(DvTtfSurface) == 24 && offsetof(DvTtfSurface, width) == 8);
static_assert(sizeof(DvTtfCaret) == 24);

namespace text_layout {

inline constexpr int32_t kAlignLeft = DV_TTF_ALIGN_LEFT;
inline constexpr int32_t kAlignCentre = DV_TTF_ALIGN_CENTRE;
inline constexpr int32_t kAlignRight = DV_TTF_ALIGN_RIGHT;
inline constexpr uint32_t kEllipsis = DV_TTF_LAYOUT_ELLIPSIS;

inline constexpr uint32_t kFormatBgrx8888 = DV_TTF_SURFACE_BGRX8888;
inline constexpr uint32_t kFormatRgbx8888 = DV_TTF_SURFACE_RGBX8888;
inline constexpr uint32_t kFormatRgba8888 = DV_TTF_SURFACE_RGBA8888;

inline constexpr unsigned int kEllipsisCharacter = 0x2026;

// The layout a null pointer stands for: no wrapping, left aligned, no gap, no flags.
inline DvTtfLayout resolve(const DvTtfLayout* layout) {
  return layout != nullptr ? *layout : DvTtfLayout{0, kAlignLeft, 0, 0};
}

// False for an alignment or flag this library does not know.
inline bool known(const DvTtfLayout& layout) {
  return layout.align >= kAlignLeft && layout.align <= kAlignRight &&
         (layout.flags & ~kEllipsis) == 0;
}

} // namespace text_layout
