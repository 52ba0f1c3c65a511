// Type 2 charstrings: the outline programs of CFF fonts. The interpreter runs a glyph's
// charstring with its local and the font's global subroutines and draws every path
// operator, flex included, into an outline builder in pixel space; hints are read past
// (hint masks by the stem count, implicit vertical stems included) and the width operand is
// skipped, since advances come from hmtx.
#pragma once
#include <stdint.h>

#include "font/cff/font.h"
#include "font/raster/outline.h"

// Limits for one glyph, its subroutines and (through endchar's accent form) its two
// components: real charstrings stay far below them. Drawing stops as well once the outline
// holds kMaxOutlineSegments edges.
constexpr int kMaxSubroutineDepth = 10;            // nested callsubr/callgsubr
constexpr uint32_t kMaxCharstringBytes = 65535;    // one charstring or subroutine
constexpr uint32_t kMaxCharstringSteps = 1u << 18; // operands and operators executed

// What drawing a glyph cost.
struct CharstringWork {
  uint32_t steps = 0; // operands and operators executed, subroutines included
  uint32_t edges = 0; // edges the path operators made (each cubic counts its pieces)
};

// Draws glyph `glyph` scaled by `scale` (pixels per font unit) into `outline`. True when the
// charstring ran to its end; false for a glyph past the CharStrings INDEX, malformed code,
// or one beyond the limits above (what was drawn until then stays in `outline`).
bool draw_cff_glyph(const CffFont& font, uint32_t glyph, double scale, OutlineBuilder& outline,
                    CharstringWork& work);
