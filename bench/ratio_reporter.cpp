#include "ratio_reporter.h"

#include <unistd.h>

#include <cstdio>

#include "paragraph.h"

namespace bench {
namespace {

struct Ratio {
  const char* label;
  const char* numerator;
  const char* denominator;
};

// Each ratio reads "how many times the numerator's time is the denominator's".
constexpr Ratio kRatios[] = {
    {"(a) chars cold DovrelTTF/FT", "chars/DovrelTTF", "chars/FreeType"},
    {"(a) chars cold Dv/stb", "chars/DovrelTTF", "chars/stb"},
    {"chars cold hinted/unhinted", "chars/DovrelTTF-hinted", "chars/DovrelTTF"},
    {"(b) paragraph cold Dv/FT", "cold/DovrelTTF", "cold/FreeType"},
    {"(b) paragraph cold Dv/stb", "cold/DovrelTTF", "cold/stb"},
    {"(c) paragraph warm Dv/FT", "warm/DovrelTTF", "warm/FreeType"},
    {"(c) paragraph warm Dv/stb", "warm/DovrelTTF", "warm/stb"},
    {"(d) 6th/1st thousand", "fill/sixth-thousand", "fill/first-thousand"},
    {"rasterizer reference/ours", "raster/reference", "raster/production"},
    {"reference/DovrelTTF-glyph", "cold/reference", "cold/DovrelTTF-glyph"},
    {"DovrelTTF cold/warm", "cold/DovrelTTF", "warm/DovrelTTF"},
    {"CFF load+char Dv/FT", "cff-load-char/DovrelTTF", "cff-load-char/FreeType"},
    {"CFF load+char Dv/stb", "cff-load-char/DovrelTTF", "cff-load-char/stb"},
};

} // namespace

RatioReporter::RatioReporter()
    : ConsoleReporter(isatty(STDOUT_FILENO) ? OutputOptions(OO_Tabular | OO_Color) : OO_Tabular) {}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs)
    if (!run.error_occurred && run.run_type == Run::RT_Iteration)
      times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
}

void RatioReporter::print_ratios() const {
  std::printf("\n%-28s", "CPU-time ratio");
  for (const int size : kPixelSizes)
    std::printf("%9dpx", size);
  std::printf("\n");
  for (const Ratio& ratio : kRatios) {
    std::printf("%-28s", ratio.label);
    for (const int size : kPixelSizes) {
      const std::string suffix = "/" + std::to_string(size);
      const auto numerator = times_.find(ratio.numerator + suffix);
      const auto denominator = times_.find(ratio.denominator + suffix);
      if (numerator == times_.end() || denominator == times_.end())
        std::printf("%11s", "-");
      else
        std::printf("%11.2f", numerator->second / denominator->second);
    }
    std::printf("\n");
  }
}

} // namespace bench
