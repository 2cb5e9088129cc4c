// Shared pieces of the formatted-text benchmarks: calling a builtin, a
// file entered in the open-file table, and pairs of runs "zq/NAME" and
// "c/NAME" whose ratio is printed.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "builtins/zqbuiltins.h"
#include "common/owned.h"
#include "fileio/file_table.h"
#include "host/qx.h"
#include "host/ut.h"
#include "zqhost/host.h"

namespace zqbench {

using Array = zq::common::OwnedArray;

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
  RatioReporter reporter;
  runBenchmarks(argc, argv, reporter);
  for (const Pair &p : pairs) reporter.printRatio(p.name, std::string("zq/") + p.name, std::string("c/") + p.name);
  benchmark::Shutdown();
  return 0;
}

}  // namespace zqbench
