// Every exported font function. Each runs in an allocation scope
// (abi/allocation_scope.h): when the host has no memory for it, it returns null (0 for a
// measure), or leaves the handle as it was, instead of halting.
#include "font/entry_points.h"

#include "abi/allocation_scope.h"
#include "font/font_handle.h"
#include "font/loader.h"
#include "font/text/fallback_list.h"
#include "font/text/render.h"
#include "runtime/export.h"

namespace dv {

DV_FUNCTION_AS(void*, dv_ttf_font_load_memory, "_Z23dv_ttf_font_load_memoryPKvmf",
               (const void* data, unsigned long size, float pixel_size)) {
  return null_on_allocation_failure(
      [&] { return load_font_from_memory(data, size, pixel_size, 0); });
}

DV_FUNCTION_AS(void*, dv_ttf_font_load_memory_ex, "_Z26dv_ttf_font_load_memory_exPKvmfj",
               (const void* data, unsigned long size, float pixel_size, unsigned int options)) {
  return null_on_allocation_failure(
      [&] { return load_font_from_memory(data, size, pixel_size, options); });
}

// A file the heap cannot hold gives null.
DV_FUNCTION_AS(void*, dv_ttf_font_load, "_Z16dv_ttf_font_loadPKcf",
               (const char* path, float pixel_size)) {
  return null_on_allocation_failure([&] { return load_font_from_file(path, pixel_size, 0); });
}

DV_FUNCTION_AS(void*, dv_ttf_font_load_ex, "_Z19dv_ttf_font_load_exPKcfj",
               (const char* path, float pixel_size, unsigned int options)) {
  return null_on_allocation_failure([&] { return load_font_from_file(path, pixel_size, options); });
}

// Clearing the cache keeps its storage and allocates nothing, so a resize cannot run out
// of memory half-way.
DV_FUNCTION_AS(void, dv_ttf_font_resize, "_Z18dv_ttf_font_resizePvf",
               (void* handle, float pixel_size)) {
  auto* font = static_cast<FontHandle*>(handle);
  if (font == nullptr || font->backend == nullptr)
    return;
  font->pixel_size = clamp_pixel_size(pixel_size);
  font->bitmap_cache.clear();
  font->fallback_cache.clear();
}

// A render the heap cannot hold gives null. The glyphs it cached before that are complete
// and stay; the handle is unchanged otherwise.
DV_FUNCTION_AS(TextImage*, dv_ttf_font_render, "_Z18dv_ttf_font_renderPvPKciiid",
               (void* handle, const char* text, int red, int green, int blue, double opacity)) {
  return null_on_allocation_failure([&] {
    return render_text(static_cast<FontHandle*>(handle), text, red, green, blue, opacity);
  });
}

// A measure the heap cannot hold gives 0, outputs untouched, like the render it mirrors.
DV_FUNCTION_AS(int, dv_ttf_font_measure, "_Z19dv_ttf_font_measurePvPKcPiS2_S2_",
               (void* handle, const char* text, int* width, int* height, int* baseline)) {
  return null_on_allocation_failure([&] {
    return measure_text(static_cast<FontHandle*>(handle), text, width, height, baseline);
  });
}

// A handle that fallback lists still hold outlives this call (see FontHandle).
DV_FUNCTION_AS(void, dv_ttf_font_free, "_Z16dv_ttf_font_freePv", (void* handle)) {
  auto* font = static_cast<FontHandle*>(handle);
  if (font == nullptr)
    return;
  forget_fallbacks(*font);
  if (font->holders != 0) {
    font->released = true;
    return;
  }
  destroy_font_handle(font);
}

} // namespace dv

void destroy_font_handle(FontHandle* font) {
  FontBackend* backend = font->backend;
  delete_text_scratch(font->text_scratch);
  font->fallback_cache.~unordered_map();
  font->fallbacks.~vector();
  font->bitmap_cache.~unordered_map();
  delete backend;
  ::operator delete(font);
}
