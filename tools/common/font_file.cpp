#include "font_file.h"

#include <sys/stat.h>

namespace dvttf_tools {

std::string font_file_problem(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    return "font file not found: " + path;
  }
  if (!S_ISREG(info.st_mode)) {
    return "font path is not a regular file: " + path;
  }
  if (info.st_size > 0xFFFFFFFFll) {
    return "font file too large (over 4 GiB): " + path;
  }
  return "";
}

} // namespace dvttf_tools
