#include "paragraph.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace bench {

const std::vector<unsigned char>& dejavu_sans_bytes() {
  static const std::vector<unsigned char> bytes = [] {
    std::ifstream in(kDejaVuSansPath, std::ios::binary);
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (data.empty()) {
      std::fprintf(stderr, "cannot read %s (Debian package fonts-dejavu-core)\n", kDejaVuSansPath);
      std::exit(1);
    }
    return data;
  }();
  return bytes;
}

} // namespace bench
