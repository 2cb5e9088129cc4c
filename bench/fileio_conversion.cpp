// Conversion of 1,000,000 values from foreign machine formats to native
// doubles, against a plain byte-swap loop over the same buffer.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "bench/bench_support.h"
#include "host/ut.h"

namespace {

constexpr int kValues = 1'000'000;

// File images of random doubles of moderate magnitude in the given format.
const std::vector<uint64_t> &imagesIn(int format) {
  static std::vector<uint64_t> images[8];
  std::vector<uint64_t> &slots = images[format];
  if (slots.empty()) {
    std::mt19937_64 rng(format);
    std::uniform_real_distribution<double> value(-1e30, 1e30);
    slots.resize(kValues);
    for (uint64_t &s : slots) {
      const double x = value(rng);
      std::memcpy(&s, &x, 8);
    }
    utDconvert(slots.data(), kValues, -UT_TYPE_DOUBLE, format, 0, 8);
  }
  return slots;
}

void refill(std::vector<uint64_t> &work, int format, benchmark::State &state) {
  state.PauseTiming();
  work = imagesIn(format);
  state.ResumeTiming();
}

void ByteSwapBaseline(benchmark::State &state) {
  std::vector<uint64_t> work;
  for (auto _ : state) {
    refill(work, 1, state);
    for (uint64_t &s : work) s = __builtin_bswap64(s);
    benchmark::DoNotOptimize(work.data());
  }
}

void ConvertToNative(benchmark::State &state) {
  const int format = static_cast<int>(state.range(0));
  std::vector<uint64_t> work;
  for (auto _ : state) {
    refill(work, format, state);
    utDconvert(work.data(), kValues, UT_TYPE_DOUBLE, format, 0, 8);
    benchmark::DoNotOptimize(work.data());
  }
}

BENCHMARK(ByteSwapBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertToNative)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  return zqbench::runWithRatios(argc, argv,
                                {{"utDconvert ieee-be/byte-swap", "ConvertToNative/1", "ByteSwapBaseline"},
                                 {"utDconvert vaxd/byte-swap", "ConvertToNative/2", "ByteSwapBaseline"},
                                 {"utDconvert cray/byte-swap", "ConvertToNative/4", "ByteSwapBaseline"}});
}
