// Type 2 charstrings: the outline programs of CFF fonts. The interpreter runs a glyph's
// charstring with its local and the font's global subroutines and draws every path
// operator, flex included, into an outline builder in pixel space; hints are read past
// (hint masks by the stem count, implicit vertical stems included) and the width operand is
// skipped, since advances come from hmtx. CFF2 charstrings (a variable font's) have no
// width, endchar, return or arithmetic; they end where their data ends, and blend values
// at the font's instance (vsindex, blend).
#pragma once
#include <stdint.h>

#include "font/cff/font.h"
#include "font/glyph_budget.h"
#include "font/glyph_limits.h"
#include "font/raster/outline.h"

// The limits of one glyph, its subroutines and (through endchar's accent form) its two
// components are those of font/glyph_limits.h: steps executed and edges drawn (a large
// glyph), charstring length and subroutine nesting (broken data).

// What drawing a glyph cost.
struct CharstringWork {
  uint32_t steps = 0;            // operands and operators executed, subroutines included
  uint32_t edges = 0;            // edges the path operators made (each cubic counts its pieces)
  uint64_t variation_deltas = 0; // CFF2: deltas blends applied
  uint64_t regions_weighed = 0;  // CFF2: regions whose weight at the instance was read

  // The budget's units for all of it (font/glyph_budget.h).
  uint64_t cost() const {
    return kWorkPerInterpreterStep * steps + kWorkPerVariationDelta * variation_deltas +
           regions_weighed;
  }

  // Whether drawing stopped at the step, edge or delta limit: a large glyph, not a broken one.
  bool past_limits() const {
    return steps > kMaxCharstringSteps || edges > kMaxOutlineSegments ||
           variation_deltas > kMaxVariationDeltas;
  }
};

// Draws glyph `glyph` scaled by `scale` (pixels per font unit) into `outline`. True when the
// charstring ran to its end; false for a glyph past the CharStrings INDEX, malformed code,
// or one beyond the limits (`work.past_limits()` tells these apart; what was drawn until
// then stays in `outline`).
bool draw_cff_glyph(const CffFont& font, uint32_t glyph, double scale, OutlineBuilder& outline,
                    CharstringWork& work);
