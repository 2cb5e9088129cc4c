// Displaying a 1000-by-1000 double matrix and a 1000-by-1000 int32 matrix
// into a discarded standard output, against a plain printf loop that prints
// the same text (name line, column-chunk headings, rows). Prints the ratio
// library/baseline for each matrix. Run: build/bin/bench_display_matrix
#include <cstdio>
#include <cstdlib>
#include <random>

#include "bench/bench_support.h"
#include "builtins/zqbuiltins.h"
#include "host/qx.h"
#include "zqhost/host.h"

namespace {

constexpr int kSize = 1000;
constexpr int kWindowColumns = 80;

struct Matrices {
  qxArray *real = nullptr;
  qxArray *int32 = nullptr;
};

// Values chosen so that every element takes the plain number format: the
// doubles are fractions in (0, 1), which print as "%10.4f" without a scale
// factor; the int32 values are 1..999, which print as "%6ld".
Matrices &matrices() {
  static Matrices m = [] {
    Matrices made;
    std::mt19937 random(42);
    std::uniform_real_distribution<double> fraction(0.001, 0.999);
    std::uniform_int_distribution<int> whole(1, 999);
    made.real = qxCreateDoubleMatrix(kSize, kSize, 0);
    made.int32 = qxCreateNumericMatrix(kSize, kSize, QX_CLASS_INT32, 0);
    auto *ints = static_cast<int32_t *>(qxGetData(made.int32));
    for (int i = 0; i < kSize * kSize; ++i) {
      qxGetPr(made.real)[i] = fraction(random);
      ints[i] = whole(random);
    }
    qxSetName(made.real, "A");
    qxSetName(made.int32, "B");
    return made;
  }();
  return m;
}

void displayThroughLibrary(qxArray *a) {
  qxArray *out[1] = {nullptr};
  qxArray *in[1] = {a};
  zqhost::callBuiltin(*zqhost::findBuiltin("display"), 0, out, 1, in);
}

// The same text as display prints in loose mode, written with printf.
template <typename T, typename Print>
void displayThroughPrintf(const char *name, const T *data, int width, Print print) {
  const int perChunk = (kWindowColumns - 1) / width;
  std::printf("\n%s =\n\n", name);
  for (int start = 0; start < kSize; start += perChunk) {
    const int end = start + perChunk < kSize ? start + perChunk : kSize;
    if (end - start == 1) {
      std::printf("  Column %d \n\n", end);
    } else {
      std::printf("  Columns %d through %d \n\n", start + 1, end);
    }
    for (int i = 0; i < kSize; ++i) {
      for (int j = start; j < end; ++j) print(data[static_cast<size_t>(j) * kSize + i]);
      std::printf("\n");
    }
    std::printf("\n");
  }
}

void baselineReal() {
  displayThroughPrintf("A", qxGetPr(matrices().real), 10, [](double v) { std::printf("%10.4f", v); });
}

void baselineInt32() {
  displayThroughPrintf("B", static_cast<const int32_t *>(qxGetData(matrices().int32)), 6,
                       [](int32_t v) { std::printf("%6ld", static_cast<long>(v)); });
}

void BM_DisplayDouble(benchmark::State &state) {
  for (auto _ : state) displayThroughLibrary(matrices().real);
}
void BM_PrintfDouble(benchmark::State &state) {
  for (auto _ : state) baselineReal();
}
void BM_DisplayInt32(benchmark::State &state) {
  for (auto _ : state) displayThroughLibrary(matrices().int32);
}
void BM_PrintfInt32(benchmark::State &state) {
  for (auto _ : state) baselineInt32();
}
BENCHMARK(BM_DisplayDouble)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintfDouble)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayInt32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintfInt32)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  setenv("COLUMNS", "80", 1);
  bnInitialize();
  const bool sameReal =
      zqbench::captured([] { displayThroughLibrary(matrices().real); }) == zqbench::captured(baselineReal);
  const bool sameInt32 =
      zqbench::captured([] { displayThroughLibrary(matrices().int32); }) == zqbench::captured(baselineInt32);

  zqbench::RatioReporter reporter;
  zqbench::runBenchmarks(argc, argv, reporter, true);

  std::printf("same text double: %s\nsame text int32: %s\n", sameReal ? "yes" : "NO", sameInt32 ? "yes" : "NO");
  reporter.printRatio("display_double", "BM_DisplayDouble", "BM_PrintfDouble");
  reporter.printRatio("display_int32", "BM_DisplayInt32", "BM_PrintfInt32");
  qxDestroyArray(matrices().real);
  qxDestroyArray(matrices().int32);
  return 0;
}
