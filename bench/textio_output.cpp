// Formatted output against plain C loops doing the same job in the same
// run: sprintf of a million integers and doubles, of a long string (against
// three baselines), and fprintf of a million values to a file. Each pair "zq/NAME" and "c/NAME"
// ends in a line "ratio NAME: X.XX" (zq time over C time).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "host/qx.h"
#include "textio_bench_support.h"

namespace {

using zqbench::Array;
using zqbench::callBuiltin;

constexpr int kValues = 1000000;
constexpr int kStringLength = 10000000;

const std::vector<double> &randomDoubles() {
  static const std::vector<double> values = [] {
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> uniform(-1000.0, 1000.0);
    std::vector<double> v(kValues);
    for (double &x : v) x = uniform(rng);
    return v;
  }();
  return values;
}

Array doubleRow(const std::vector<double> &values) {
  Array a(qxCreateDoubleMatrix(1, static_cast<int>(values.size()), 0));
  std::copy(values.begin(), values.end(), qxGetPr(a.get()));
  return a;
}

const std::string &longText() {
  static const std::string text = [] {
    std::string s(kStringLength, 'a');
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char>('a' + i % 26);
    return s;
  }();
  return text;
}

// sprintf(format, data) through the library.
void zqSprintf(benchmark::State &state, const char *format, const qxArray *data) {
  Array f(qxCreateString(format));
  for (auto _ : state) {
    Array text = callBuiltin("sprintf", {f.get(), const_cast<qxArray *>(data)});
    benchmark::DoNotOptimize(qxGetChars(text.get()));
  }
}

// The same text made by snprintf into one buffer.
template <class Value>
void cSprintf(benchmark::State &state, const char *format, const std::vector<Value> &values) {
  std::vector<char> buffer(64 * values.size() + 64);
  for (auto _ : state) {
    char *p = buffer.data();
    char *end = p + buffer.size();
    for (const Value &v : values) p += std::snprintf(p, static_cast<size_t>(end - p), format, v);
    benchmark::DoNotOptimize(p);
  }
}

void zqIntegers(benchmark::State &state) {
  std::vector<double> v(kValues);
  for (int i = 0; i < kValues; ++i) v[i] = i + 1;
  Array data = doubleRow(v);
  zqSprintf(state, "%d\\n", data.get());
}
void cIntegers(benchmark::State &state) {
  std::vector<int> v(kValues);
  for (int i = 0; i < kValues; ++i) v[i] = i + 1;
  cSprintf(state, "%d\n", v);
}
void zqFixed(benchmark::State &state) {
  Array data = doubleRow(randomDoubles());
  zqSprintf(state, "%.6f,", data.get());
}
void cFixed(benchmark::State &state) { cSprintf(state, "%.6f,", randomDoubles()); }
void zqGeneral(benchmark::State &state) {
  Array data = doubleRow(randomDoubles());
  zqSprintf(state, "%g ", data.get());
}
void cGeneral(benchmark::State &state) { cSprintf(state, "%g ", randomDoubles()); }

void zqString(benchmark::State &state) {
  Array data(qxCreateString(longText().c_str()));
  zqSprintf(state, "%s", data.get());
}
void cString(benchmark::State &state) {
  std::vector<char> buffer(kStringLength + 1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::snprintf(buffer.data(), buffer.size(), "%s", longText().c_str()));
  }
}

// Two more baselines for the long string. The one above writes 8-bit text
// into a buffer that stays warm across iterations, while sprintf returns an
// array of 16-bit codes. "fresh": snprintf into a new block of the result's
// size each time. "copy16": the 16-bit codes copied with memcpy into a new
// block, what any copy of the result costs; sprintf('%s', s) shares the
// text's codes instead, so what it pays is reading them once to check that
// each is a single byte.
void cStringFresh(benchmark::State &state) {
  for (auto _ : state) {
    std::unique_ptr<char16_t[]> result(new char16_t[kStringLength + 1]);
    char *bytes = reinterpret_cast<char *>(result.get());
    benchmark::DoNotOptimize(std::snprintf(bytes, kStringLength + 1, "%s", longText().c_str()));
    benchmark::DoNotOptimize(bytes);
  }
}
void cStringCopy16(benchmark::State &state) {
  const std::u16string codes(longText().begin(), longText().end());
  for (auto _ : state) {
    std::unique_ptr<char16_t[]> result(new char16_t[codes.size()]);
    std::memcpy(result.get(), codes.data(), codes.size() * sizeof(char16_t));
    benchmark::DoNotOptimize(result.get());
  }
}

// The file is entered in the open-file table directly, as fopen would.
void zqFile(benchmark::State &state) {
  Array data = doubleRow(randomDoubles());
  {
    zqbench::TableFile file("/tmp/zq_bench_fprintf.txt", "w");
    Array format(qxCreateString("%g\\n"));
    for (auto _ : state) callBuiltin("fprintf", {file.fid(), format.get(), data.get()}, 0);
  }
  std::remove("/tmp/zq_bench_fprintf.txt");
}

void cFile(benchmark::State &state) {
  FILE *f = std::fopen("/tmp/zq_bench_fprintf_c.txt", "w");
  for (auto _ : state) {
    for (double v : randomDoubles()) std::fprintf(f, "%g\n", v);
    std::fflush(f);
  }
  std::fclose(f);
  std::remove("/tmp/zq_bench_fprintf_c.txt");
}

}  // namespace

int main(int argc, char **argv) {
  return zqbench::runPairs(argc, argv,
                           {{"sprintf_d", zqIntegers, cIntegers},
                            {"sprintf_f", zqFixed, cFixed},
                            {"sprintf_g", zqGeneral, cGeneral},
                            {"sprintf_s", zqString, cString},
                            {"sprintf_s_fresh", zqString, cStringFresh},
                            {"sprintf_s_copy16", zqString, cStringCopy16},
                            {"fprintf_g_file", zqFile, cFile}});
}
