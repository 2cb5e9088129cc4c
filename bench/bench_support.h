// Shared pieces of the benchmark programs: the one ratio reporter, running
// the benchmarks (optionally with what they print sent to /dev/null), and
// capturing what a function prints (to check that the library and its
// baseline print the same text).
//
// Every ratio is of CPU time per iteration (the benchmark library's CPU
// clock, averaged over repetitions when there are several): the library's
// time over the plain baseline's, measured in the same run. CPU time is
// what other load on the machine disturbs least. The one exception is a
// benchmark whose work runs partly in other processes (a shell pipeline as
// the baseline), which the thread's CPU clock does not see: it declares
// UseRealTime() and is timed by the wall clock.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace zqbench {

// Writes what fn prints into a file and returns it.
template <typename Fn>
std::string captured(Fn fn) {
  char path[] = "/tmp/zqbenchXXXXXX";
  const int fd = mkstemp(path);
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  dup2(fd, STDOUT_FILENO);
  close(fd);
  fn();
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(path);
  return text;
}

// The console report, and the time per iteration of each benchmark (and of
// each of its aggregates, such as NAME_median, when it has repetitions).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const Run &run : runs) {
      if (run.iterations == 0) continue;
      const bool wall = !run.run_name.time_type.empty();  // UseRealTime() or manual time
      const double accumulated = wall ? run.real_accumulated_time : run.cpu_accumulated_time;
      const double perIteration = accumulated / static_cast<double>(run.iterations);
      if (run.run_type == Run::RT_Iteration) {
        Total &total = totals_[run.benchmark_name()];
        total.seconds += perIteration;
        ++total.runs;
      } else if (run.aggregate_unit == benchmark::kTime) {
        totals_[run.benchmark_name()] = Total{perIteration, 1};
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Seconds per iteration of the named benchmark (or aggregate), or 0 when
  // it did not run.
  double seconds(const std::string &name) const {
    const auto it = totals_.find(name);
    return it == totals_.end() ? 0 : it->second.seconds / it->second.runs;
  }

  // Prints "ratio LABEL: X.XX", the measured benchmark's time over the
  // baseline's (nothing when either did not run).
  void printRatio(const std::string &label, const std::string &measured, const std::string &baseline) const {
    const double m = seconds(measured), b = seconds(baseline);
    if (m > 0 && b > 0) std::printf("ratio %s: %.2f\n", label.c_str(), m / b);
  }

 private:
  struct Total {
    double seconds = 0;
    int runs = 0;
  };
  std::map<std::string, Total> totals_;
};

// Runs the registered benchmarks. silenced: what they print goes to
// /dev/null and the report to standard error.
inline void runBenchmarks(int &argc, char **argv, RatioReporter &reporter, bool silenced = false) {
  benchmark::Initialize(&argc, argv);
  if (!silenced) {
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return;
  }
  reporter.SetOutputStream(&std::cerr);
  reporter.SetErrorStream(&std::cerr);
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, STDOUT_FILENO);
  close(null);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
}

// A ratio to print: its label, the measured benchmark and its baseline.
struct Ratio {
  std::string label;
  std::string measured;
  std::string baseline;
};

// Runs the registered benchmarks and prints the ratios.
inline int runWithRatios(int argc, char **argv, std::initializer_list<Ratio> ratios) {
  RatioReporter reporter;
  runBenchmarks(argc, argv, reporter);
  for (const Ratio &r : ratios) reporter.printRatio(r.label, r.measured, r.baseline);
  benchmark::Shutdown();
  return 0;
}

}  // namespace zqbench
