// Each function runs in an allocation scope (abi/allocation_scope.h): when the host has no
// memory for it, it returns 0 and leaves the handle as it was.
#include "font/variation_entry_points.h"

#include "abi/allocation_scope.h"
#include "font/font_handle.h"
#include "font/sfnt/font_variations.h"
#include "font/variation_settings.h"
#include "runtime/export.h"

namespace {

const FontVariations* variations_of(void* handle) {
  auto* font = static_cast<FontHandle*>(handle);
  return font == nullptr || font->backend == nullptr ? nullptr : font->backend->variations();
}

// The string is parsed in full before anything changes, so a refused one leaves the handle
// drawing what it drew. A new instance drops the glyphs drawn at the old one, as a resize
// does.
int set_variation(void* handle, const char* settings) {
  const FontVariations* variations = variations_of(handle);
  if (variations == nullptr)
    return 0;
  dv::vector<double> values;
  if (!parse_variation_settings(settings, *variations, values))
    return 0;
  auto* font = static_cast<FontHandle*>(handle);
  font->backend->set_variation(values.data);
  font->bitmap_cache.clear();
  font->fallback_cache.clear();
  return 1;
}

void put(double* out, double value) {
  if (out != nullptr)
    *out = value;
}

} // namespace

namespace dv {

DV_FUNCTION_AS(int, dv_ttf_font_set_variation, "_Z25dv_ttf_font_set_variationPvPKc",
               (void* handle, const char* settings)) {
  return null_on_allocation_failure([&] { return set_variation(handle, settings); });
}

DV_FUNCTION_AS(int, dv_ttf_font_variation_axis, "_Z26dv_ttf_font_variation_axisPviPjPdS1_S1_",
               (void* handle, int index, unsigned int* tag, double* minimum, double* default_value,
                double* maximum)) {
  const FontVariations* variations = variations_of(handle);
  if (variations == nullptr)
    return 0;
  const int count = static_cast<int>(variations->axes.size);
  if (index >= 0 && index < count) {
    const VariationAxis& axis = variations->axes.data[index];
    if (tag != nullptr)
      *tag = axis.tag;
    put(minimum, axis.minimum);
    put(default_value, axis.default_value);
    put(maximum, axis.maximum);
  }
  return count;
}

DV_FUNCTION_AS(int, dv_ttf_font_named_instance, "_Z26dv_ttf_font_named_instancePviPjPdi",
               (void* handle, int index, unsigned int* subfamily_name_id, double* values,
                int value_count)) {
  const FontVariations* variations = variations_of(handle);
  if (variations == nullptr)
    return 0;
  const int count = static_cast<int>(variations->instances.size);
  if (index >= 0 && index < count) {
    const NamedInstance& instance = variations->instances.data[index];
    if (subfamily_name_id != nullptr)
      *subfamily_name_id = instance.subfamily_name_id;
    for (int i = 0;
         values != nullptr && i < value_count && static_cast<uint64_t>(i) < variations->axes.size;
         ++i)
      values[i] = variations->instance_coordinates.data[instance.first_coordinate + i];
  }
  return count;
}

} // namespace dv
