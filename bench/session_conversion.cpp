// 100 million doubles to int16 and back through the int16 and double
// builtins (the host's dispatch, its converted copies), against plain C++
// loops over new buffers doing the same rounding and saturation:
//   plain       std::round and comparisons, the way one writes it first
//   vectorised  the host's own rounding rule inlined into the loop, the
//               fastest a loop of this shape gets
// The builtins' results are checked against the plain loop's once.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "bench/bench_support.h"
#include "builtins/zqbuiltins.h"
#include "host/qx.h"
#include "zqhost/host.h"
#include "zqhost/rounding.h"

namespace {

constexpr int kValues = 100'000'000;

// Values across and beyond the int16 range, with exact halves, NaN and
// infinities among them.
const qxArray *input() {
  static qxArray *values = [] {
    qxArray *a = qxCreateDoubleMatrix(kValues, 1, 0);
    double *pr = qxGetPr(a);
    for (int i = 0; i < kValues; ++i) pr[i] = (i % 160001 - 80000) * 0.5;
    pr[7] = std::numeric_limits<double>::quiet_NaN();
    pr[8] = std::numeric_limits<double>::infinity();
    pr[9] = -std::numeric_limits<double>::infinity();
    return a;
  }();
  return values;
}

struct ArrayDeleter {
  void operator()(qxArray *a) const { qxDestroyArray(a); }
};
using Array = std::unique_ptr<qxArray, ArrayDeleter>;

// One call of a builtin with one input and one output.
Array callBuiltin(const char *name, const qxArray *in) {
  static const bool registered = bnInitialize() != 0;
  (void)registered;
  qxArray *plhs[1] = {nullptr};
  qxArray *prhs[1] = {const_cast<qxArray *>(in)};
  zqhost::callBuiltin(*zqhost::findBuiltin(name), 1, plhs, 1, prhs);
  return Array(plhs[0]);
}

int16_t plainRound(double v) {
  if (std::isnan(v)) return 0;
  if (v <= -32768) return -32768;
  if (v >= 32767) return 32767;
  return static_cast<int16_t>(std::round(v));
}

// The round trip in plain C++: new buffers, one loop each way.
template <int16_t (*Round)(double)>
std::unique_ptr<double[]> roundTrip(const double *in) {
  std::unique_ptr<int16_t[]> narrow(new int16_t[kValues]);
  for (int i = 0; i < kValues; ++i) narrow[i] = Round(in[i]);
  std::unique_ptr<double[]> back(new double[kValues]);
  for (int i = 0; i < kValues; ++i) back[i] = narrow[i];
  return back;
}

void PlainLoop(benchmark::State &state) {
  const double *in = qxGetPr(input());
  for (auto _ : state) benchmark::DoNotOptimize(roundTrip<plainRound>(in).get());
}

void VectorisedLoop(benchmark::State &state) {
  const double *in = qxGetPr(input());
  for (auto _ : state) benchmark::DoNotOptimize(roundTrip<zqhost::roundSaturated<int16_t>>(in).get());
}

void Builtins(benchmark::State &state) {
  for (auto _ : state) {
    const Array narrow = callBuiltin("int16", input());
    const Array back = callBuiltin("double", narrow.get());
    benchmark::DoNotOptimize(qxGetPr(back.get()));
  }
}

BENCHMARK(PlainLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(VectorisedLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(Builtins)->Unit(benchmark::kMillisecond);

// The builtins give what the plain loop gives, element for element.
void checkAgreement() {
  const std::unique_ptr<double[]> want = roundTrip<plainRound>(qxGetPr(input()));
  const Array back = callBuiltin("double", callBuiltin("int16", input()).get());
  if (qxGetClassID(back.get()) != QX_CLASS_DOUBLE ||
      std::memcmp(qxGetPr(back.get()), want.get(), sizeof(double) * kValues) != 0) {
    std::fprintf(stderr, "the builtins and the plain loop disagree\n");
    std::abort();
  }
}

}  // namespace

int main(int argc, char **argv) {
  checkAgreement();
  return zqbench::runWithRatios(argc, argv,
                                {{"int16 and back/plain loop", "Builtins", "PlainLoop"},
                                 {"int16 and back/vectorised loop", "Builtins", "VectorisedLoop"}});
}
