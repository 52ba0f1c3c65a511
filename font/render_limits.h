// The limits of one dv_ttf_font_render call: every way a render gives null besides a
// null argument and a heap too small for it. include/DovrelTTF.h states their values for
// callers (DV_TTF_RENDER_MAX_*; docs/limits.md shows what they bound); the names here are
// the library's own for the same constants, with what each bounds. A heap too small for a render makes it give null too,
// so these limits no longer protect the heap; they bound a render's time, and keep its
// memory within a stated budget so that a caller can know what a render may ask. What one
// glyph may cost sits beside them, in font/glyph_limits.h.
#pragma once
#include <stdint.h>

#include "include/DovrelTTF.h"

namespace render_limits {

// Longest text drawn, in bytes before the terminating 0 (512 KiB): bounds the passes over
// the text and the 16 bytes of placement per byte.
inline constexpr uint64_t kMaxTextBytes = DV_TTF_RENDER_MAX_TEXT_BYTES;

// Largest image drawn, in pixels (16,777,216: a 3840 x 2160 screen twice over, or 4096 x
// 4096): 16 MiB of coverage canvas and 64 MiB of RGBA where the heap holds them, and
// composition well within a second.
inline constexpr int64_t kMaxImagePixels = DV_TTF_RENDER_MAX_IMAGE_PIXELS;

// Most glyphs one render rasterizes into the cache, and most bitmap pixels those add (one
// glyph of the largest bitmap, 2^24 pixels, fits). Code points already cached cost
// nothing, so a longer text can be drawn in pieces.
inline constexpr uint64_t kMaxNewGlyphs = DV_TTF_RENDER_MAX_NEW_GLYPHS;
inline constexpr int64_t kMaxNewGlyphPixels = DV_TTF_RENDER_MAX_NEW_GLYPH_PIXELS;

// Most work the new glyphs of one render may cost, in the units of font/glyph_budget.h
// (interpreter steps, glyf points, edges, crossings with their sorting, pixels): the
// costliest hostile render stays near a third of a second. Real fonts at every size the
// other limits allow stay below it (16,384 ideographs at 26 px need more than 2^26);
// beyond it the render gives null.
inline constexpr uint64_t kMaxRasterWork = DV_TTF_RENDER_MAX_WORK;

} // namespace render_limits
