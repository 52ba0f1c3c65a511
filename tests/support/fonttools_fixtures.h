// The fonts the fontTools generators (tests/support/fonttools/) write into the build
// directory, for the unit tests built with DV_FONTTOOLS_FIXTURES: their bytes and the
// generators' listings (NAME.txt, whitespace-separated fields one entry a line).
#pragma once

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace fonttools_fixtures {

inline std::string path(const std::string& name) {
  return std::string(DV_FONTTOOLS_FIXTURES) + "/" + name;
}

// Empty when the file is missing.
inline std::vector<unsigned char> read(const std::string& name) {
  std::ifstream in(path(name), std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// The lines of listing `name`, each split into its fields; empty when the file is missing.
inline std::vector<std::vector<std::string>> listing(const std::string& name) {
  std::ifstream in(path(name));
  std::vector<std::vector<std::string>> lines;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::vector<std::string> split(std::istream_iterator<std::string>(fields), {});
    if (!split.empty())
      lines.push_back(std::move(split));
  }
  return lines;
}

} // namespace fonttools_fixtures
