#include "font/font_api.h"

#include "abi/allocation_scope.h"
#include "containers/unique_ptr.h"
#include "font/load_options.h"
#include "font/text/fallback_list.h"
#include "font/truetype/collection.h"
#include "font/truetype/sfnt.h"
#include "font/truetype/sfnt_font.h"
#include "runtime/export.h"

FontBackend::~FontBackend() = default;

GlyphBitmap FontBackend::measure(unsigned int codepoint, double scale, GlyphBudget& budget) {
  GlyphBitmap bitmap = rasterize(codepoint, scale, budget);
  bitmap.pixels = dv::vector<unsigned char>();
  return bitmap;
}

double FontBackend::kerning(unsigned int, unsigned int, uint64_t&) {
  return 0.0;
}

bool FontBackend::has_glyph(unsigned int) {
  return true;
}

float clamp_pixel_size(float pixel_size) {
  // Written so that NaN fails the comparison and falls back as well.
  return pixel_size >= 1.0f ? pixel_size : 1.0f;
}

namespace {

constexpr uint32_t kSfntVersionTrueType = 0x00010000;
constexpr uint32_t kSfntVersionTrue = 0x74727565; // "true"
constexpr uint32_t kSfntVersionCff = 0x4F54544F;  // "OTTO"
constexpr unsigned char kPfbSegmentMarker = 0x80;
constexpr unsigned char kPfaFirstByte = '%';

// The backend for an sfnt face with version tag `version`, or null when the options do
// not accept that outline format.
FontBackend* sfnt_backend_for(uint32_t version, unsigned int options) {
  if (version == kSfntVersionTrueType || version == kSfntVersionTrue)
    return make_truetype_backend(options);
  if (version == kSfntVersionCff && (options & load_option::kOpenTypeCff) != 0)
    return make_cff_backend(options);
  return nullptr;
}

// A collection's face is judged by its own version tag; every other file has one face, 0.
FontBackend* backend_for(const dv::vector<unsigned char>& bytes, unsigned int options) {
  if ((options & load_option::kReservedBits) != 0)
    return nullptr;
  const uint32_t face = load_option::face_index(options);
  if ((options & load_option::kCollections) != 0 && is_collection(bytes)) {
    uint32_t directory = 0;
    if (!collection_face_directory(bytes, face, directory))
      return nullptr;
    return sfnt_backend_for(sfnt_version_at(bytes, directory), options);
  }
  if (face != 0)
    return nullptr;
  if (bytes.size >= 4) {
    if (FontBackend* backend = sfnt_backend_for(read_u32_be(bytes, 0), options))
      return backend;
  }
  if (bytes.data[0] == kPfbSegmentMarker || bytes.data[0] == kPfaFirstByte)
    return make_type1_backend(options);
  return nullptr;
}

// The handle of a font given as bytes, or null. Runs in an allocation scope: a failed
// allocation unwinds through here, and the backend's owner destroys it on the way.
void* load_from_memory(const void* data, unsigned long size, float pixel_size,
                       unsigned int options) {
  if (data == nullptr || size == 0)
    return nullptr;
  const auto* first = static_cast<const unsigned char*>(data);
  const dv::vector<unsigned char> bytes(first, first + size);
  dv::unique_ptr<FontBackend> backend(backend_for(bytes, options));
  if (!backend || !backend->load(bytes))
    return nullptr;
  auto* handle = new FontHandle;
  handle->backend = backend.release();
  handle->pixel_size = clamp_pixel_size(pixel_size);
  return handle;
}

} // namespace

namespace dv {

// The font functions run in an allocation scope (abi/allocation_scope.h): when the host
// has no memory for them they return null, or leave the handle as it was, instead of
// halting.
DV_FUNCTION_AS(void*, dv_ttf_font_load_memory, "_Z23dv_ttf_font_load_memoryPKvmf",
               (const void* data, unsigned long size, float pixel_size)) {
  return null_on_allocation_failure([&] { return load_from_memory(data, size, pixel_size, 0); });
}

DV_FUNCTION_AS(void*, dv_ttf_font_load_memory_ex, "_Z26dv_ttf_font_load_memory_exPKvmfj",
               (const void* data, unsigned long size, float pixel_size, unsigned int options)) {
  return null_on_allocation_failure(
      [&] { return load_from_memory(data, size, pixel_size, options); });
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
