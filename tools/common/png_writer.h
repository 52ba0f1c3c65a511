// Writing an RGBA image as a PNG file.
#pragma once

#include <cstdint>
#include <string>

namespace dvttf_tools {

// Writes width x height RGBA pixels (rows top first, not premultiplied) to the file `path`,
// or to standard output when `path` is "-". Returns an empty string on success, else what
// went wrong.
std::string write_png(const std::string& path, int width, int height, const uint8_t* rgba);

} // namespace dvttf_tools
