// The console report plus a table of ratios between the rendering benchmarks of one run:
// for every pixel size, one benchmark's CPU time divided by another's (CPU time, because
// the machines this runs on are shared and wall time follows their load).
#pragma once
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
  // Tabular counters; colour only on a terminal.
  RatioReporter();
  void ReportRuns(const std::vector<Run>& runs) override;
  void print_ratios() const;

private:
  // CPU time in the benchmark's unit, by name ("cold/FreeType/12").
  std::map<std::string, double> times_;
};

} // namespace bench
