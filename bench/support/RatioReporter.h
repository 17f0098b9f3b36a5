#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace tidewell::bench {

// Keeps every run's time so that ratios against a floor measured in the same
// run can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (!run.error_occurred) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }

  // Prints "what  ratio  (target at most T)" when both runs were measured.
  void PrintRatio(const char* what, const char* measured, const char* floor, double target) {
    if (!times_.count(measured) || !times_.count(floor)) return;
    std::printf("%-58s %5.2f  (target at most %.1f)\n", what, times_[measured] / times_[floor],
                target);
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace tidewell::bench
