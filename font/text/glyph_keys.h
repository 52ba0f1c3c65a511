// The glyph keys of a line: its code points, or, for a font that draws variation
// sequences, each character followed by a variation selector as one key
// (font/variation_sequence.h). A selector that follows no character stays a key of its own.
#pragma once

#include "font/text/utf8.h"
#include "font/variation_sequence.h"

template <typename Visit>
bool for_each_glyph_key(const TextLine& line, bool pairs_selectors, Visit&& visit) {
  if (!pairs_selectors)
    return for_each_codepoint(line, visit);
  bool holding = false;
  unsigned int held = 0;
  const bool complete = for_each_codepoint(line, [&](unsigned int codepoint) {
    const bool selector = is_variation_selector(codepoint);
    if (holding && selector) {
      holding = false;
      return visit(variation_sequence_key(held, codepoint));
    }
    if (holding && !visit(held))
      return false;
    holding = !selector;
    held = codepoint;
    return selector ? visit(codepoint) : true;
  });
  return complete && (!holding || visit(held));
}
