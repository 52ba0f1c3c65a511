// For tests that need an installed font or package. Locally its absence skips the test
// and names the Debian package to install; in CI (the environment variable CI is "true")
// it fails the test, so a run whose install step failed cannot pass with its strongest
// checks off.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace dvtest {

inline bool running_in_ci() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::strcmp(ci, "true") == 0;
}

// The Debian package that installs a font file of the paths the tests use.
inline std::string package_of(const std::string& path) {
  static const std::pair<const char*, const char*> kPackages[] = {
      {"/usr/share/fonts/truetype/dejavu/", "fonts-dejavu-core"},
      {"/usr/share/fonts/truetype/liberation2/", "fonts-liberation2"},
      {"/usr/share/fonts/truetype/noto/", "fonts-noto-core"},
      {"/usr/share/fonts/opentype/noto/NotoSansCJK", "fonts-noto-cjk"},
      {"/usr/share/fonts/truetype/wqy/", "fonts-wqy-zenhei"},
      {"/usr/share/fonts/truetype/inter-vf/", "fonts-inter-variable"},
      {"/usr/share/fonts/X11/Type1/", "fonts-urw-base35"},
      {"/usr/share/fonts/opentype/cantarell/", "fonts-cantarell"},
  };
  for (const auto& [directory, package] : kPackages) {
    if (path.rfind(directory, 0) == 0) {
      return package;
    }
  }
  return "the package that installs " + path;
}

} // namespace dvtest

// Skips the test (fails it in CI) because `what` is missing; `package` installs it.
#define DV_MISSING_PACKAGE(what, package)                                                          \
  do {                                                                                             \
    if (::dvtest::running_in_ci()) {                                                               \
      GTEST_FAIL() << (what) << " is missing, and CI=true requires it: install " << (package)      \
                   << " (tools/install-deps.sh does)";                                             \
    } else {                                                                                       \
      GTEST_SKIP() << (what) << " is missing: install " << (package)                               \
                   << " (tools/install-deps.sh does)";                                             \
    }                                                                                              \
  } while (false)
