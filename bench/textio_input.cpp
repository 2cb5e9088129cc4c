// Formatted input against plain C loops doing the same job in the same
// run: sscanf of a million numbers with %f and %d against strtod/strtol
// loops, and fscanf of the same numbers from a file against an fscanf
// loop. Each pair ends in a line "ratio NAME: X.XX" (zq time over C time).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "builtins/zqbuiltins.h"
#include "fileio/file_table.h"
#include "host/qx.h"
#include "host/ut.h"
#include "zqhost/host.h"

namespace {

struct Destroy {
  void operator()(qxArray *a) const { qxDestroyArray(a); }
};
using Array = std::unique_ptr<qxArray, Destroy>;

constexpr int kValues = 1000000;

// A million numbers, blank-separated: decimals with six places, or
// integers.
const std::string &numbersText(bool integers) {
  static std::string texts[2];
  std::string &text = texts[integers];
  if (text.empty()) {
    std::mt19937_64 rng(5);
    char buffer[64];
    for (int i = 0; i < kValues; ++i) {
      const double v = static_cast<double>(static_cast<int64_t>(rng() % 2000000001) - 1000000000);
      const int n = integers ? std::snprintf(buffer, sizeof buffer, "%d ", static_cast<int>(v))
                             : std::snprintf(buffer, sizeof buffer, "%.6f ", v / 1e6);
      text.append(buffer, static_cast<size_t>(n));
    }
  }
  return text;
}

Array callBuiltin(const char *name, std::initializer_list<qxArray *> inputs) {
  static const bool registered = [] {
    bnInitialize();
    return true;
  }();
  (void)registered;
  std::vector<qxArray *> in(inputs);
  qxArray *out[1] = {nullptr};
  zqhost::callBuiltin(*zqhost::findBuiltin(name), 1, out, static_cast<int>(in.size()), in.data());
  return Array(out[0]);
}

void zqSscanf(benchmark::State &state, bool integers) {
  Array text(qxCreateString(numbersText(integers).c_str())), format(qxCreateString(integers ? "%d" : "%f"));
  for (auto _ : state) {
    Array values = callBuiltin("sscanf", {text.get(), format.get()});
    benchmark::DoNotOptimize(qxGetPr(values.get()));
  }
}

// The same numbers parsed by strtod or strtol into a vector.
void cParse(benchmark::State &state, bool integers) {
  const char *text = numbersText(integers).c_str();
  std::vector<double> values;
  for (auto _ : state) {
    values.clear();
    char *end = nullptr;
    for (const char *p = text;; p = end) {
      const double v = integers ? static_cast<double>(std::strtol(p, &end, 10)) : std::strtod(p, &end);
      if (end == p) break;
      values.push_back(v);
    }
    benchmark::DoNotOptimize(values.data());
  }
}

void zqSscanfF(benchmark::State &state) { zqSscanf(state, false); }
void cStrtod(benchmark::State &state) { cParse(state, false); }
void zqSscanfD(benchmark::State &state) { zqSscanf(state, true); }
void cStrtol(benchmark::State &state) { cParse(state, true); }

const char *kFile = "/tmp/zq_bench_fscanf.txt";

void writeNumbersFile() {
  FILE *f = std::fopen(kFile, "w");
  std::fputs(numbersText(false).c_str(), f);
  std::fclose(f);
}

// The file is entered in the open-file table directly, as fopen would.
void zqFscanf(benchmark::State &state) {
  writeNumbersFile();
  Array empty(qxCreateString(""));
  callBuiltin("sprintf", {empty.get()});  // registers, sets up the standard streams
  zq::fileio::FileEntry &entry = zq::fileio::addEntry(zq::fileio::fileTable());
  entry.name = static_cast<char *>(utCalloc(1, 1));
  entry.permission = static_cast<char *>(utCalloc(2, 1));
  entry.permission[0] = 'r';
  entry.stream = std::fopen(kFile, "r");
  Array fid(qxCreateScalarDouble(entry.fid)), format(qxCreateString("%f"));
  for (auto _ : state) {
    std::rewind(entry.stream);
    Array values = callBuiltin("fscanf", {fid.get(), format.get()});
    benchmark::DoNotOptimize(qxGetPr(values.get()));
  }
  std::fclose(entry.stream);
  zq::fileio::FileTable &table = zq::fileio::fileTable();
  zq::fileio::FileEntry *previous = table.head;
  while (previous->next != &entry) previous = previous->next;
  zq::fileio::removeEntry(table, previous, &entry);
}

void cFscanf(benchmark::State &state) {
  writeNumbersFile();
  FILE *f = std::fopen(kFile, "r");
  std::vector<double> values;
  for (auto _ : state) {
    std::rewind(f);
    values.clear();
    double v;
    while (std::fscanf(f, "%lf", &v) == 1) values.push_back(v);
    benchmark::DoNotOptimize(values.data());
  }
  std::fclose(f);
  std::remove(kFile);
}

// Remembers the time per iteration of each run to print the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) seconds_[run.benchmark_name()] = run.GetAdjustedRealTime();
  }
  void printRatios() const {
    for (const auto &[name, time] : seconds_) {
      if (name.rfind("zq/", 0) != 0) continue;
      const auto c = seconds_.find("c/" + name.substr(3));
      if (c != seconds_.end()) std::printf("ratio %s: %.2f\n", name.substr(3).c_str(), time / c->second);
    }
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char **argv) {
  const struct {
    const char *name;
    void (*zq)(benchmark::State &);
    void (*c)(benchmark::State &);
  } pairs[] = {{"sscanf_f", zqSscanfF, cStrtod}, {"sscanf_d", zqSscanfD, cStrtol}, {"fscanf_f", zqFscanf, cFscanf}};
  for (const auto &p : pairs) {
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
