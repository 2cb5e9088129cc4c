// A console reporter that also remembers each benchmark's CPU time per
// iteration, so that a benchmark program can print its ratios against the
// plain baseline measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zqbench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const Run &run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        seconds_[run.benchmark_name()] = run.cpu_accumulated_time / static_cast<double>(run.iterations);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Prints "ratio NAME: X.XX" (time of the measured run over the baseline).
  void printRatio(const std::string &label, const std::string &measured, const std::string &baseline) const {
    const auto m = seconds_.find(measured);
    const auto b = seconds_.find(baseline);
    if (m == seconds_.end() || b == seconds_.end() || b->second <= 0) return;
    std::printf("ratio %s: %.2f\n", label.c_str(), m->second / b->second);
  }

 private:
  std::map<std::string, double> seconds_;
};

// Runs the registered benchmarks and prints each (label, measured, baseline)
// ratio.
inline int runWithRatios(int argc, char **argv,
                         const std::vector<std::pair<std::string, std::pair<std::string, std::string>>> &ratios) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const auto &[label, names] : ratios) reporter.printRatio(label, names.first, names.second);
  benchmark::Shutdown();
  return 0;
}

}  // namespace zqbench
