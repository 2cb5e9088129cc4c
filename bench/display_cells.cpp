// Displaying a 5000-by-5 cell array (scalars shown inline, strings quoted,
// vectors as aligned "[1x3 double]" summaries) into a discarded standard
// output, against a plain printf loop that prints the same text. Prints
// the ratio library/baseline. Run: build/bin/bench_display_cells
#include <cstdio>
#include <cstdlib>
#include <random>

#include "bench/bench_support.h"
#include "builtins/zqbuiltins.h"
#include "host/qx.h"
#include "zqhost/host.h"

namespace {

constexpr int kRows = 5000;
constexpr int kCols = 5;  // scalar, string, vector, scalar, string
constexpr int kKinds = 3;
const char *const kText = "abcdef";

struct Data {
  qxArray *cell = nullptr;
  std::vector<double> scalars;  // column-major, one per scalar cell
};

// Scalars in (0, 1) so that each shows as "[0.dddd]".
Data &data() {
  static Data d = [] {
    Data made;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> fraction(0.001, 0.999);
    made.cell = qxCreateCellMatrix(kRows, kCols);
    for (int j = 0; j < kCols; ++j) {
      for (int i = 0; i < kRows; ++i) {
        qxArray *value = nullptr;
        if (j % kKinds == 0) {
          made.scalars.push_back(fraction(random));
          value = qxCreateScalarDouble(made.scalars.back());
        } else if (j % kKinds == 1) {
          value = qxCreateString(kText);
        } else {
          value = qxCreateDoubleMatrix(1, 3, 0);
        }
        qxSetCell(made.cell, j * kRows + i, value);
      }
    }
    qxSetName(made.cell, "C");
    return made;
  }();
  return d;
}

void displayThroughLibrary() {
  qxArray *out[1] = {nullptr};
  qxArray *in[1] = {data().cell};
  zqhost::callBuiltin(*zqhost::findBuiltin("display"), 0, out, 1, in);
}

// The same text as display prints in loose mode: every column fits the
// 80-column window, so there is one chunk without a heading.
void displayThroughPrintf() {
  const std::vector<double> &scalars = data().scalars;
  std::printf("\nC = \n\n");
  for (int i = 0; i < kRows; ++i) {
    for (int j = 0; j < kCols; ++j) {
      if (j % kKinds == 0) {
        std::printf("    [%.4f]", scalars[static_cast<size_t>(j / kKinds) * kRows + i]);
      } else if (j % kKinds == 1) {
        std::printf("    '%s'", kText);
      } else {
        std::printf("    [1x3 double]");
      }
    }
    std::printf("\n");
  }
  std::printf("\n");
}

void BM_DisplayCell(benchmark::State &state) {
  for (auto _ : state) displayThroughLibrary();
}
void BM_PrintfCell(benchmark::State &state) {
  for (auto _ : state) displayThroughPrintf();
}
BENCHMARK(BM_DisplayCell)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintfCell)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  setenv("COLUMNS", "80", 1);
  bnInitialize();
  const bool same = zqbench::captured(displayThroughLibrary) == zqbench::captured(displayThroughPrintf);
  zqbench::RatioReporter reporter;
  zqbench::runBenchmarks(argc, argv, reporter, true);
  std::printf("same text cell: %s\n", same ? "yes" : "NO");
  reporter.printRatio("display_cell", "BM_DisplayCell", "BM_PrintfCell");
  qxDestroyArray(data().cell);
  return 0;
}
