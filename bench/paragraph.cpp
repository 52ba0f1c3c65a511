#include "paragraph.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace bench {

void register_at_every_size(const std::vector<SizedBenchmark>& benchmarks) {
  for (const SizedBenchmark& b : benchmarks)
    for (const int size : kPixelSizes)
      benchmark::RegisterBenchmark((std::string(b.name) + "/" + std::to_string(size)).c_str(),
                                   b.function, size)
          ->Unit(benchmark::kMicrosecond);
}

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
