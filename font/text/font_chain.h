// A handle and its fallbacks as one source of glyphs: which font draws a code point, and
// where that font's glyphs at the handle's size are kept.
#pragma once
#include <stdint.h>

#include "font/font_handle.h"
#include "font/text/fallback_list.h"
#include "font/text/layout.h"

inline constexpr uint32_t kMaxChainFonts = kMaxFallbacks + 1;

struct ChainFont {
  FontBackend* backend;
  double scale; // pixels per font unit at the handle's pixel size
  LineMetrics metrics;
  bool kerns;
};

class FontChain {
public:
  // The handle first, then its fallbacks in their order, all at the handle's pixel size.
  explicit FontChain(FontHandle* handle);

  // The place of the first font whose character map has `codepoint`; 0 (the handle's
  // own font, which draws its missing glyph) when none has it.
  uint32_t font_for(unsigned int codepoint) const;

  const ChainFont& font(uint32_t place) const { return fonts_[place]; }
  FontHandle* handle() const { return handle_; }

  // The kept glyph of `codepoint` from the font at `place`: from the handle's caches, or
  // from `boxes` (measured glyphs) when given; null when neither holds it.
  const GlyphBitmap* find(uint32_t place, unsigned int codepoint, const GlyphBoxes* boxes) const;

  // Makes the glyph unless it is kept: rasterized into the handle's caches, or with
  // `boxes` measured into them (nothing joins the caches then), paid from `budget` and
  // counted in `made`. False when the budget refused it (nothing is kept).
  bool provide(uint32_t place, unsigned int codepoint, GlyphBudget& budget, GlyphBoxes* boxes,
               uint64_t& made);

private:
  FontHandle* handle_;
  uint32_t count_;
  ChainFont fonts_[kMaxChainFonts];
};

// A glyph's key among a chain's glyphs: the code point for the handle's own font, else
// fallback_glyph_key.
inline unsigned int chain_glyph_key(uint32_t place, unsigned int codepoint) {
  return place == 0 ? codepoint : fallback_glyph_key(place, codepoint);
}
