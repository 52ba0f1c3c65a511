// The records the laid-out text functions take from and give to their callers, with the
// layout include/DovrelTTF.h declares (the exported names spell these type names).
#pragma once
#include <stddef.h>
#include <stdint.h>

struct DvTtfLayout {
  int32_t max_width; // > 0: lines wrap (or are shortened) to this many pixels
  int32_t align;     // one of text_layout::kAlign*
  int32_t line_gap;  // pixels between lines; below 0 counts as 0
  uint32_t flags;    // text_layout::kEllipsis, the other bits 0
};

struct DvTtfSurface {
  void* pixels;
  int32_t width;
  int32_t height;
  int32_t pitch; // bytes from one row to the next, at least width * 4
  uint32_t format;
};

struct DvTtfCaret {
  uint32_t byte_offset; // of the code point in the text; the text's length for the end
  int32_t line;
  int32_t x; // pen position, in image columns
  int32_t top;
  int32_t height;
  int32_t baseline; // row of the line's baseline in the image
};

static_assert(sizeof(DvTtfLayout) == 16);
static_assert(sizeof(DvTtfSurface) == 24 && offsetof(DvTtfSurface, width) == 8);
static_assert(sizeof(DvTtfCaret) == 24);

namespace text_layout {

inline constexpr int32_t kAlignLeft = 0;
inline constexpr int32_t kAlignCentre = 1;
inline constexpr int32_t kAlignRight = 2;
inline constexpr uint32_t kEllipsis = 1;

inline constexpr uint32_t kFormatBgrx8888 = 1;
inline constexpr uint32_t kFormatRgbx8888 = 2;
inline constexpr uint32_t kFormatRgba8888 = 3;

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
