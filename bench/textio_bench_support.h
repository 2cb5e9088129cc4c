// Shared pieces of the formatted-text benchmarks: calling a builtin, a
// file entered in the open-file table, and a reporter that prints the
// ratio of each "zq/NAME" run to its "c/NAME" baseline.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "builtins/zqbuiltins.h"
#include "fileio/file_table.h"
#include "host/qx.h"
#include "host/ut.h"
#include "zqhost/host.h"

namespace zqbench {

struct Destroy {
  void operator()(qxArray *a) const { qxDestroyArray(a); }
};
using Array = std::unique_ptr<qxArray, Destroy>;

// Calls a builtin and returns its first output.
inline Array callBuiltin(const char *name, std::initializer_list<qxArray *> inputs, int nlhs = 1) {
  static const bool registered = [] {
    bnInitialize();
    fiInitStdIO();  // sets up fids 0-2 once; later calls change nothing
    return true;
  }();
  (void)registered;
  std::vector<qxArray *> in(inputs);
  qxArray *out[1] = {nullptr};
  zqhost::callBuiltin(*zqhost::findBuiltin(name), nlhs, out, static_cast<int>(in.size()), in.data());
  return Array(out[0]);
}

// A file opened with mode and entered in the open-file table, as fopen
// would; closed and removed at the end.
class TableFile {
 public:
  TableFile(const char *path, const char *mode) {
    callBuiltin("sprintf", {format_.get()});  // the table is set up
    entry_ = &zq::fileio::addEntry(zq::fileio::fileTable());
    entry_->name = static_cast<char *>(utCalloc(1, 1));
    entry_->permission = static_cast<char *>(utCalloc(2, 1));
    entry_->permission[0] = mode[0];
    entry_->stream = std::fopen(path, mode);
    fid_.reset(qxCreateScalarDouble(entry_->fid));
  }
  ~TableFile() {
    std::fclose(entry_->stream);
    zq::fileio::FileTable &table = zq::fileio::fileTable();
    zq::fileio::FileEntry *previous = table.head;
    while (previous->next != entry_) previous = previous->next;
    zq::fileio::removeEntry(table, previous, entry_);
  }
  qxArray *fid() const { return fid_.get(); }
  FILE *stream() const { return entry_->stream; }

 private:
  Array format_{qxCreateString("")};
  zq::fileio::FileEntry *entry_ = nullptr;
  Array fid_;
};

// Remembers the time per iteration of each run to print the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) seconds_[run.benchmark_name()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
  }
  // The real-time ratio, and the CPU-time ratio, which other load on the
  // machine disturbs less.
  void printRatios() const {
    for (const auto &[name, time] : seconds_) {
      if (name.rfind("zq/", 0) != 0) continue;
      const auto c = seconds_.find("c/" + name.substr(3));
      if (c == seconds_.end()) continue;
      std::printf("ratio %s: %.2f\n", name.substr(3).c_str(), time.real / c->second.real);
      std::printf("cpu ratio %s: %.2f\n", name.substr(3).c_str(), time.cpu / c->second.cpu);
    }
  }

 private:
  struct Times {
    double real, cpu;
  };
  std::map<std::string, Times> seconds_;
};

// Registers each pair "zq/NAME" and "c/NAME", runs them and prints the
// ratios.
struct Pair {
  const char *name;
  void (*zq)(benchmark::State &);
  void (*c)(benchmark::State &);
};
inline int runPairs(int argc, char **argv, std::initializer_list<Pair> pairs) {
  for (const Pair &p : pairs) {
    benchmark::RegisterBenchmark((std::string("zq/") + p.name).c_str(), p.zq)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("c/") + p.name).c_str(), p.c)->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios();
  benchmark::Shutdown();
  return 0;
}

}  // namespace zqbench
