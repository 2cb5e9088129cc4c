// Formatted input against plain C loops doing the same job in the same
// run: sscanf of a million numbers with %f and %d against strtod/strtol
// loops, and fscanf of the same numbers from a file against an fscanf
// loop. Each pair ends in a line "ratio NAME: X.XX" (zq time over C time).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "host/qx.h"
#include "textio_bench_support.h"

namespace {

using zqbench::Array;
using zqbench::callBuiltin;

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

void writeNumbersFile(bool integers) {
  FILE *f = std::fopen(kFile, "w");
  std::fputs(numbersText(integers).c_str(), f);
  std::fclose(f);
}

// The file is entered in the open-file table directly, as fopen would.
void zqFscanf(benchmark::State &state, bool integers) {
  writeNumbersFile(integers);
  zqbench::TableFile file(kFile, "r");
  Array format(qxCreateString(integers ? "%d" : "%f"));
  for (auto _ : state) {
    std::rewind(file.stream());
    Array values = callBuiltin("fscanf", {file.fid(), format.get()});
    benchmark::DoNotOptimize(qxGetPr(values.get()));
  }
}

void cFscanf(benchmark::State &state, bool integers) {
  writeNumbersFile(integers);
  FILE *f = std::fopen(kFile, "r");
  std::vector<double> values;
  for (auto _ : state) {
    std::rewind(f);
    values.clear();
    if (integers) {
      int v;
      while (std::fscanf(f, "%d", &v) == 1) values.push_back(v);
    } else {
      double v;
      while (std::fscanf(f, "%lf", &v) == 1) values.push_back(v);
    }
    benchmark::DoNotOptimize(values.data());
  }
  std::fclose(f);
  std::remove(kFile);
}

void zqFscanfF(benchmark::State &state) { zqFscanf(state, false); }
void cFscanfF(benchmark::State &state) { cFscanf(state, false); }
void zqFscanfD(benchmark::State &state) { zqFscanf(state, true); }
void cFscanfD(benchmark::State &state) { cFscanf(state, true); }

}  // namespace

int main(int argc, char **argv) {
  return zqbench::runPairs(argc, argv,
                           {{"sscanf_f", zqSscanfF, cStrtod},
                            {"sscanf_d", zqSscanfD, cStrtol},
                            {"fscanf_f", zqFscanfF, cFscanfF},
                            {"fscanf_d", zqFscanfD, cFscanfD}});
}
