#include "font/text/fallback_list.h"

#include "abi/allocation_scope.h"
#include "runtime/export.h"

namespace {

bool listed(const dv::vector<FontHandle*>& list, const FontHandle* font) {
  for (const FontHandle* entry : list)
    if (entry == font)
      return true;
  return false;
}

// The new list, built before the handle's list changes, so that a failed allocation
// leaves the old list in place. The handle itself and repeated entries are left out: the
// chain consults each font once, the handle first.
bool build_list(const FontHandle& font, void* const* fallbacks, unsigned long count,
                dv::vector<FontHandle*>& list) {
  if (count > kMaxFallbacks || (count != 0 && fallbacks == nullptr))
    return false;
  list.reserve(count);
  for (unsigned long i = 0; i < count; ++i) {
    auto* fallback = static_cast<FontHandle*>(fallbacks[i]);
    if (fallback == nullptr || fallback->backend == nullptr)
      return false;
    if (fallback != &font && !listed(list, fallback))
      list.push_back(fallback);
  }
  return true;
}

int set_fallbacks(void* handle, void* const* fallbacks, unsigned long count) {
  auto* font = static_cast<FontHandle*>(handle);
  if (font == nullptr || font->backend == nullptr)
    return 0;
  dv::vector<FontHandle*> list;
  if (!build_list(*font, fallbacks, count, list))
    return 0;
  // Holders are counted before the old list lets go, so that a fallback in both lists is
  // never destroyed in between.
  for (FontHandle* fallback : list)
    ++fallback->holders;
  forget_fallbacks(*font);
  font->fallbacks = dv::move(list);
  font->fallback_cache.clear();
  return 1;
}

} // namespace

void forget_fallbacks(FontHandle& font) {
  dv::vector<FontHandle*> list = dv::move(font.fallbacks);
  font.fallbacks = dv::vector<FontHandle*>();
  font.fallback_cache.clear();
  for (FontHandle* fallback : list) {
    --fallback->holders;
    if (fallback->released && fallback->holders == 0)
      destroy_font_handle(fallback);
  }
}

namespace dv {

// In an allocation scope: when the heap has no room for the new list the old one stays.
DV_FUNCTION_AS(int, dv_ttf_font_set_fallbacks, "_Z25dv_ttf_font_set_fallbacksPvPKS_m",
               (void* handle, void* const* fallbacks, unsigned long count)) {
  return null_on_allocation_failure([&] { return set_fallbacks(handle, fallbacks, count); });
}

} // namespace dv
