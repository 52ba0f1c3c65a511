#include "artifact_location.h"

#include <filesystem>
#include <stdexcept>

namespace dvttf_tools {

std::string module_guide_path() {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  const fs::path installed =
      executable.parent_path().parent_path() / "share/doc/dovrelttf/docs/modules.md";
  return !error && fs::is_regular_file(installed, error) ? installed.string() : "docs/modules.md";
}

std::string default_artifact_path(const char* name) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (error) {
    throw std::runtime_error("cannot find this program's own path (/proc/self/exe): give "
                             "--library PATH");
  }
  const fs::path directory = executable.parent_path();
  const fs::path candidates[] = {
      directory / name,
      directory.parent_path() / kInstalledLibraryDir / name,
  };
  for (const fs::path& candidate : candidates) {
    if (fs::is_regular_file(candidate, error)) {
      return candidate.string();
    }
  }
  throw std::runtime_error("no DovrelTTF artifact at " + candidates[0].string() + " or " +
                           candidates[1].string() + ": give --library PATH");
}

} // namespace dvttf_tools
