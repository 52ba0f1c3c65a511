// include/DovrelTTF.h compiles on its own as C++ with warnings as errors, and its
// declarations have the types the exported names spell.
#include "DovrelTTF.h"

using LoadFromFile = void* (*)(const char*, float);
using LoadFromMemory = void* (*)(const void*, unsigned long, float);
using LoadFromFileEx = void* (*)(const char*, float, unsigned int);
using LoadFromMemoryEx = void* (*)(const void*, unsigned long, float, unsigned int);
using Resize = void (*)(void*, float);
using Render = TextImage* (*)(void*, const char*, int, int, int, double);
using Free = void (*)(void*);

[[maybe_unused]] static LoadFromFile load_from_file = &dv_ttf_font_load;
[[maybe_unused]] static LoadFromMemory load_from_memory = &dv_ttf_font_load_memory;
[[maybe_unused]] static LoadFromFileEx load_from_file_ex = &dv_ttf_font_load_ex;
[[maybe_unused]] static LoadFromMemoryEx load_from_memory_ex = &dv_ttf_font_load_memory_ex;
[[maybe_unused]] static Resize resize = &dv_ttf_font_resize;
[[maybe_unused]] static Render render = &dv_ttf_font_render;
[[maybe_unused]] static Free free_font = &dv_ttf_font_free;
