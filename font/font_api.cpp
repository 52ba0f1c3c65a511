#include "font/font_api.h"

#include "runtime/export.h"

FontBackend::~FontBackend() = default;

GlyphBitmap FontBackend::measure(unsigned int codepoint, double scale) {
  GlyphBitmap bitmap = rasterize(codepoint, scale);
  bitmap.pixels = dv::vector<unsigned char>();
  return bitmap;
}

double FontBackend::kerning(unsigned int, unsigned int) {
  return 0.0;
}

uint32_t read_u32_be(const dv::vector<unsigned char>& bytes, unsigned long offset) {
  const unsigned char* p = bytes.data + offset;
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

float clamp_pixel_size(float pixel_size) {
  // Written so that NaN fails the comparison and falls back as well.
  return pixel_size >= 1.0f ? pixel_size : 1.0f;
}

namespace {

constexpr uint32_t kSfntVersionTrueType = 0x00010000;
constexpr uint32_t kSfntVersionTrue = 0x74727565; // "true"
constexpr unsigned char kPfbSegmentMarker = 0x80;
constexpr unsigned char kPfaFirstByte = '%';

FontBackend* backend_for(const dv::vector<unsigned char>& bytes) {
  if (bytes.size >= 4) {
    const uint32_t version = read_u32_be(bytes, 0);
    if (version == kSfntVersionTrueType || version == kSfntVersionTrue)
      return make_truetype_backend();
  }
  if (bytes.data[0] == kPfbSegmentMarker || bytes.data[0] == kPfaFirstByte)
    return make_type1_backend();
  return nullptr;
}

} // namespace

namespace dv {

DV_FUNCTION_AS(void*, dv_ttf_font_load_memory, "_Z23dv_ttf_font_load_memoryPKvmf",
               (const void* data, unsigned long size, float pixel_size)) {
  if (data == nullptr || size == 0)
    return nullptr;
  const auto* first = static_cast<const unsigned char*>(data);
  const dv::vector<unsigned char> bytes(first, first + size);
  FontBackend* backend = backend_for(bytes);
  if (backend == nullptr)
    return nullptr;
  if (!backend->load(bytes)) {
    delete backend;
    return nullptr;
  }
  auto* handle = new FontHandle;
  handle->backend = backend;
  handle->pixel_size = clamp_pixel_size(pixel_size);
  return handle;
}

DV_FUNCTION_AS(void, dv_ttf_font_resize, "_Z18dv_ttf_font_resizePvf",
               (void* handle, float pixel_size)) {
  auto* font = static_cast<FontHandle*>(handle);
  if (font == nullptr || font->backend == nullptr)
    return;
  font->pixel_size = clamp_pixel_size(pixel_size);
  font->bitmap_cache.clear();
}

DV_FUNCTION_AS(void, dv_ttf_font_free, "_Z16dv_ttf_font_freePv", (void* handle)) {
  auto* font = static_cast<FontHandle*>(handle);
  if (font == nullptr)
    return;
  FontBackend* backend = font->backend;
  font->bitmap_cache.~unordered_map();
  delete backend;
  ::operator delete(font);
}

} // namespace dv
