// What one glyph may cost, whatever its format, beside the render's own budget
// (font/glyph_budget.h). Real glyphs stay far below every limit here; they keep one glyph
// of a hostile font from asking for gigabytes or seconds before the budget is consulted.
//
// A glyph past one of the first group is merely large, not broken: the backend refuses it
// as it refuses a glyph the budget cannot pay (GlyphBudget::refuse), so the render gives
// null rather than an image with the glyph missing. include/DovrelTTF.h states their
// values for callers (DV_TTF_GLYPH_MAX_*); the names here are the library's own for them.
// The limits of a whole render sit beside these, in font/render_limits.h.
//
// The second group are limits the formats set themselves: a glyph past them is broken
// data and comes back blank with its advance, like any other malformed glyph.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "include/DovrelTTF.h"

// ---- a large glyph: the render gives null ------------------------------------------------

// The bitmap, one-pixel margin included: at most this many pixels a side and in all.
// Outline bounds beyond the 32-bit pixel range count as beyond the side limit.
inline constexpr long long kMaxBitmapSide = DV_TTF_GLYPH_MAX_BITMAP_SIDE;
inline constexpr long long kMaxBitmapPixels = DV_TTF_GLYPH_MAX_BITMAP_PIXELS;

// Crossings of the outline's edges with its sample rows (four per pixel row): each edge
// crosses every sample row it spans once. A real glyph crosses a sample row a few dozen
// times, so even 2^16 sample rows stay far below it. How many of them one row holds is not
// limited: sorting a long row is paid from the render's budget like any other work.
inline constexpr unsigned long long kMaxCrossings = DV_TTF_GLYPH_MAX_CROSSINGS;

// Edges of one outline, every format, each curve counted as the edges it is cut into.
inline constexpr size_t kMaxOutlineSegments = DV_TTF_GLYPH_MAX_EDGES;

// TrueType, over one top-level glyph and all its components: glyf points decoded, component
// records expanded, and composites nested within composites (a glyph nested in itself is
// broken data, not a deep glyph).
inline constexpr uint32_t kMaxGlyphPoints = DV_TTF_GLYPH_MAX_TRUETYPE_POINTS;
inline constexpr uint32_t kMaxGlyphComponents = DV_TTF_GLYPH_MAX_TRUETYPE_COMPONENTS;
inline constexpr int kMaxCompositeDepth = DV_TTF_GLYPH_MAX_COMPOSITE_DEPTH;
// Point deltas one glyph of a variable font may read and infer, components included.
inline constexpr uint64_t kMaxVariationDeltas = 1u << 22;

// CFF: charstring operands and operators executed, subroutines and an endchar accent's
// two components included.
inline constexpr uint32_t kMaxCharstringSteps = DV_TTF_GLYPH_MAX_CFF_STEPS;

// Type 1: charstring bytes interpreted across every subroutine call and, in the complete
// mode, edges curves are cut into (up to 1,024 a curve). Nested calls could otherwise
// repeat work exponentially.
inline constexpr unsigned long kMaxType1Work = DV_TTF_GLYPH_MAX_TYPE1_WORK;

// ---- broken data: the glyph comes back blank ---------------------------------------------

// CFF (Type 2 charstrings): one charstring or subroutine's bytes, and subroutines nested
// within subroutines (the format's own limits).
inline constexpr uint32_t kMaxCharstringBytes = 65535;
inline constexpr int kMaxSubroutineDepth = 10;

// Type 1: subroutines nested within subroutines, the glyph's charstring at level 0 (the
// format's own limit is 10; a few levels more are accepted).
inline constexpr int kMaxType1SubroutineDepth = 16;
