// Fallback lists: the fonts a handle's laid-out renders draw a code point from when the
// handle's own font does not map it.
#pragma once
#include <stdint.h>

#include "font/font_handle.h"
#include "include/DovrelTTF.h"

// Most fallbacks one handle holds. A glyph key spends four bits on the font's place in
// the chain (see fallback_glyph_key), and the handle itself takes place 0.
inline constexpr unsigned long kMaxFallbacks = 15;

// The key of a fallback's glyph in the handle's fallback_cache: the fallback's place in
// the chain (1 to kMaxFallbacks) above the code point (below 2^21, see utf8.h).
inline unsigned int fallback_glyph_key(uint32_t place, unsigned int codepoint) {
  return place << 21 | codepoint;
}

// Empties the handle's list: every fallback in it loses one holder, and one that its
// owner has freed and that no list holds any more is destroyed.
void forget_fallbacks(FontHandle& font);

namespace dv {

// The exported function, with the type include/DovrelTTF.h declares for its public name.
decltype(::dv_ttf_font_set_fallbacks) dv_ttf_font_set_fallbacks;

} // namespace dv
