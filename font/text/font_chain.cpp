#include "font/text/font_chain.h"

namespace {

ChainFont chain_font(FontBackend* backend, float pixel_size) {
  return ChainFont{backend, static_cast<double>(pixel_size) / backend->units_per_em(),
                   line_metrics_at(*backend, pixel_size), backend->kerns()};
}

} // namespace

FontChain::FontChain(FontHandle* handle) : handle_(handle), count_(1), fonts_{} {
  fonts_[0] = chain_font(handle->backend, handle->pixel_size);
  for (FontHandle* fallback : handle->fallbacks)
    fonts_[count_++] = chain_font(fallback->backend, handle->pixel_size);
}

uint32_t FontChain::font_for(unsigned int codepoint) const {
  if (count_ == 1)
    return 0;
  for (uint32_t place = 0; place < count_; ++place)
    if (fonts_[place].backend->has_glyph(codepoint))
      return place;
  return 0;
}

const GlyphBitmap* FontChain::find(uint32_t place, unsigned int codepoint,
                                   const GlyphBoxes* boxes) const {
  const auto& cache = place == 0 ? handle_->bitmap_cache : handle_->fallback_cache;
  const unsigned int key = chain_glyph_key(place, codepoint);
  if (const auto* cached = cache.find(key); cached != cache.end())
    return &cached->second;
  if (boxes == nullptr)
    return nullptr;
  const auto* measured = boxes->find(key);
  return measured != boxes->end() ? &measured->second : nullptr;
}

bool FontChain::provide(uint32_t place, unsigned int codepoint, GlyphBudget& budget,
                        GlyphBoxes* boxes, uint64_t& made) {
  if (find(place, codepoint, boxes) != nullptr)
    return true;
  const ChainFont& font = fonts_[place];
  GlyphBitmap bitmap = boxes == nullptr ? font.backend->rasterize(codepoint, font.scale, budget)
                                        : font.backend->measure(codepoint, font.scale, budget);
  if (budget.exhausted)
    return false;
  auto& store =
      boxes != nullptr ? *boxes : (place == 0 ? handle_->bitmap_cache : handle_->fallback_cache);
  store.emplace(chain_glyph_key(place, codepoint), dv::move(bitmap));
  ++made;
  return true;
}
