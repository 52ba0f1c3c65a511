// Runs every benchmark inside the boot-environment stand-in (dvcore reaches the host's
// memory and files through the program API table) and ends with the ratio table.
#include <benchmark/benchmark.h>

#include "host/stand_in.h"
#include "ratio_reporter.h"

int main(int argc, char** argv) {
  dvhost::install_stand_in();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.print_ratios();
  benchmark::Shutdown();
  return 0;
}
