// Shared pieces of the benchmark programs: capturing what a function prints
// (to check that the library and its baseline print the same text), a
// reporter that keeps each run's time, and running the benchmarks with the
// printed text sent to /dev/null and the report to standard error.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
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

// Console output that also keeps the real time of each run.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> times;
  std::map<std::string, double> cpuTimes;
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const Run &run : runs) {
      times[run.benchmark_name()] = run.GetAdjustedRealTime();
      cpuTimes[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // Prints "ratio NAME: X.XX", the library's time over the baseline's.
  void printRatio(const char *name, const char *library, const char *baseline) {
    const double base = times[baseline];
    if (base > 0) std::printf("ratio %s: %.2f\n", name, times[library] / base);
  }
  // The same, then "cpu ratio NAME: X.XX" of the CPU times, which other
  // load on the machine disturbs less.
  void printRatios(const char *name, const char *library, const char *baseline) {
    printRatio(name, library, baseline);
    const double base = cpuTimes[baseline];
    if (base > 0) std::printf("cpu ratio %s: %.2f\n", name, cpuTimes[library] / base);
  }
};

// Runs the registered benchmarks: the timed output goes to /dev/null, the
// report to standard error.
inline void runSilenced(int &argc, char **argv, RecordingReporter &reporter) {
  benchmark::Initialize(&argc, argv);
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

}  // namespace zqbench
