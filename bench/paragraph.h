// The text every rendering benchmark draws and the font it draws it with.
#pragma once
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "paragraph_text.h"

namespace bench {

inline const char kDejaVuSansPath[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

inline constexpr int kPixelSizes[] = {12, 16, 32, 64, 128};

// A benchmark taking the pixel size, registered as "<name>/<size>" for every size above.
struct SizedBenchmark {
  const char* name;
  void (*function)(benchmark::State&, int);
};
void register_at_every_size(const std::vector<SizedBenchmark>& benchmarks);

// The whole file; exits with a message when it cannot be read.
const std::vector<unsigned char>& dejavu_sans_bytes();

} // namespace bench
