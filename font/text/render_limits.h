// The limits of one dv_ttf_font_render call: every way a render gives null besides a
// null argument and a heap too small for it (include/DovrelTTF.h lists them for callers,
// docs/limits.md's budget shows what they bound). A heap too small for a render makes it give
// null too, so these limits no longer protect the heap; they bound a render's time, and
// keep its memory within a stated budget so that a caller can know what a render may ask.
#pragma once
#include <stdint.h>

namespace render_limits {

// Longest text drawn, in bytes before the terminating 0 (512 KiB): bounds the passes over
// the text and the 16 bytes of placement per byte.
inline constexpr uint64_t kMaxTextBytes = uint64_t{1} << 19;

// Largest image drawn, in pixels (16,777,216: a 3840 x 2160 screen twice over, or 4096 x
// 4096): 16 MiB of coverage canvas and 64 MiB of RGBA where the heap holds them, and
// composition well within a second.
inline constexpr int64_t kMaxImagePixels = int64_t{1} << 24;

// Most glyphs one render rasterizes into the cache, and most bitmap pixels those add (one
// glyph of the largest bitmap, 2^24 pixels, fits). Code points already cached cost
// nothing, so a longer text can be drawn in pieces.
inline constexpr uint64_t kMaxNewGlyphs = uint64_t{1} << 14;
inline constexpr int64_t kMaxNewGlyphPixels = int64_t{1} << 24;

// Most work the new glyphs of one render may cost, in the units of font/glyph_budget.h
// (interpreter steps, glyf points, edges, crossings with their sorting, pixels): the
// costliest hostile render stays near a third of a second. Real fonts at every size the
// other limits allow stay below it (16,384 ideographs at 26 px need more than 2^26);
// beyond it the render gives null.
inline constexpr uint64_t kMaxRasterWork = uint64_t{1} << 27;

} // namespace render_limits
