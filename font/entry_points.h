// The exported font functions, as the library's own code and its hosted tests call them.
#pragma once

struct TextImage;

namespace dv {

void* dv_ttf_font_load_memory(const void* data, unsigned long size, float pixel_size);
void* dv_ttf_font_load(const char* path, float pixel_size);
void* dv_ttf_font_load_memory_ex(const void* data, unsigned long size, float pixel_size,
                                 unsigned int options);
void* dv_ttf_font_load_ex(const char* path, float pixel_size, unsigned int options);
void dv_ttf_font_resize(void* handle, float pixel_size);
TextImage* dv_ttf_font_render(void* handle, const char* text, int red, int green, int blue,
                              double opacity);
int dv_ttf_font_measure(void* handle, const char* text, int* width, int* height, int* baseline);
void dv_ttf_font_free(void* handle);

} // namespace dv
