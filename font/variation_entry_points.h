// The exported functions of variable fonts: choosing the instance a handle draws, and
// listing the axes and named instances a tool offers.
#pragma once

namespace dv {

int dv_ttf_font_set_variation(void* handle, const char* settings);
int dv_ttf_font_variation_axis(void* handle, int index, unsigned int* tag, double* minimum,
                               double* default_value, double* maximum);
int dv_ttf_font_named_instance(void* handle, int index, unsigned int* subfamily_name_id,
                               double* values, int value_count);

} // namespace dv
