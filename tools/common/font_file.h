// The checks both command-line tools make on a font path before reading it, with the
// same messages.
#pragma once

#include <string>

namespace dvttf_tools {

// Empty when `path` names a regular file the library can take (the host's file slot
// measures files in 32 bits), else why not.
std::string font_file_problem(const std::string& path);

} // namespace dvttf_tools
