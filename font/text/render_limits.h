// The limits of one dv_ttf_font_render call. Together they bound what a render asks the
// host for (see the README's budget), so that no text and no font can make it request
// more memory than a small boot machine has: a failed allocation halts the machine.
#pragma once
#include <stdint.h>

namespace render_limits {

// Longest text drawn, in bytes before the terminating 0 (512 KiB).
inline constexpr uint64_t kMaxTextBytes = uint64_t{1} << 19;

// Largest image drawn, in pixels (4,194,304, e.g. 2048 x 2048 or a 3840 x 1080 strip):
// 4 MiB of coverage canvas and 16 MiB of RGBA.
inline constexpr int64_t kMaxImagePixels = int64_t{1} << 22;

// Most glyphs one render rasterizes into the cache, and most bitmap pixels those add.
// Code points already cached cost nothing, so a longer text can be drawn in pieces.
inline constexpr uint64_t kMaxNewGlyphs = uint64_t{1} << 14;
inline constexpr int64_t kMaxNewGlyphPixels = int64_t{1} << 21;

// Most work the rasterizer may spend on the new glyphs of one render: edges, sample-row
// crossings and sampled pixels, summed. This bounds a render's CPU time, not only each
// glyph's (one glyph may reach 2^25 crossings). A text that fills the new-pixel limit with
// real glyphs spends a few million; beyond this the render gives null.
inline constexpr uint64_t kMaxRasterWork = uint64_t{1} << 27;

} // namespace render_limits
