// The exported font functions, as the library's own code and its hosted tests call them:
// each one in namespace dv with exactly the type include/DovrelTTF.h declares for its
// public name (runtime/export.h publishes dv::name under that name).
#pragma once

#include "include/DovrelTTF.h"

namespace dv {

decltype(::dv_ttf_font_load_memory) dv_ttf_font_load_memory;
decltype(::dv_ttf_font_load) dv_ttf_font_load;
decltype(::dv_ttf_font_load_memory_ex) dv_ttf_font_load_memory_ex;
decltype(::dv_ttf_font_load_ex) dv_ttf_font_load_ex;
decltype(::dv_ttf_font_resize) dv_ttf_font_resize;
decltype(::dv_ttf_font_render) dv_ttf_font_render;
decltype(::dv_ttf_font_measure) dv_ttf_font_measure;
decltype(::dv_ttf_font_free) dv_ttf_font_free;

} // namespace dv
