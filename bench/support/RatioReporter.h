#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tidewell::bench {

// Keeps every run's time so that ratios against a floor measured in the same
// run can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Plain text: the ratios printed after the table must not follow a colour code.
  RatioReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      times_[run.benchmark_name()] = run.GetAdjustedRealTime();
      for (const auto& [name, counter] : run.counters) counters_[name] = counter.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Prints "what  ratio  (target at most T)" when both runs were measured;
  // a target of 0 prints the ratio alone (a floor, for comparison).
  void PrintRatio(const char* what, const char* measured, const char* floor, double target) {
    if (!times_.count(measured) || !times_.count(floor)) return;
    const double ratio = times_[measured] / times_[floor];
    if (target > 0)
      std::printf("%-62s %5.2f  (target at most %.1f)\n", what, ratio, target);
    else
      std::printf("%-62s %5.2f  (a floor, no target)\n", what, ratio);
  }

  // The same for a ratio a benchmark measured itself and kept as a counter;
  // false when no run kept it.
  bool PrintCounter(const char* what, const char* counter, double target) {
    if (!counters_.count(counter)) return false;
    if (target > 0)
      std::printf("%-62s %5.2f  (target at most %.1f; taken in turns)\n", what,
                  counters_[counter], target);
    else
      std::printf("%-62s %5.2f  (a floor, no target; taken in turns)\n", what, counters_[counter]);
    return true;
  }

  // A counter a run kept, for a line of its own.
  std::optional<double> Counter(const char* counter) const {
    const auto found = counters_.find(counter);
    if (found == counters_.end()) return std::nullopt;
    return found->second;
  }

 private:
  std::map<std::string, double> times_;
  std::map<std::string, double> counters_;
};

}  // namespace tidewell::bench
