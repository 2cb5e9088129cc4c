// fread, fwrite and fgets on files in the page cache, each against a plain
// C++ baseline doing the same job in the same run: fread into a buffer plus
// a conversion loop, fwrite of a buffer converted as fwrite converts
// (rounded, saturated), std::getline. Each read
// also reports its peak memory over the result's size (peak_over_result).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "bench/bench_support.h"
#include "builtins/zqbuiltins.h"
#include "common/owned.h"
#include "host/qx.h"
#include "zqhost/host.h"

namespace {

constexpr size_t kBigFile = 64u << 20;
constexpr int kWriteValues = 8'000'000;
constexpr int kLines = 1'000'000;

using Array = zq::common::OwnedArray;

std::string scratch(const char *name) { return std::string("/tmp/zqbench_fileio_") + name; }

// The 64 MiB file of varied bytes, and the file of one million lines.
const std::string &bigFile() {
  static const std::string path = [] {
    std::vector<unsigned char> bytes(kBigFile);
    uint32_t x = 12345;
    for (unsigned char &b : bytes) {
      x = x * 1103515245u + 12345u;
      b = static_cast<unsigned char>(x >> 24);
    }
    std::string p = scratch("big.bin");
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), kBigFile);
    return p;
  }();
  return path;
}

const std::string &linesFile() {
  static const std::string path = [] {
    std::string p = scratch("lines.txt");
    std::ofstream out(p, std::ios::binary);
    for (int i = 0; i < kLines; ++i) out << "line " << i << " of the benchmark text\n";
    return p;
  }();
  return path;
}

// Calls file-I/O operation op through fiFcn with the given inputs.
std::vector<Array> fileCall(int op, int nlhs, std::vector<qxArray *> inputs) {
  std::vector<qxArray *> out(static_cast<size_t>(nlhs > 0 ? nlhs : 1), nullptr);
  fiFcn(nlhs, out.data(), op, static_cast<int>(inputs.size()), inputs.data());
  std::vector<Array> result;
  result.reserve(out.size());
  for (qxArray *a : out) result.emplace_back(a);
  return result;
}

Array str(const char *s) { return Array(qxCreateString(s)); }
Array num(double v) { return Array(qxCreateScalarDouble(v)); }

double openFile(const std::string &path, const char *permission, const char *format = "n") {
  Array name = str(path.c_str()), perm = str(permission), fmt = str(format);
  return qxGetScalar(fileCall(0, 1, {name.get(), perm.get(), fmt.get()})[0].get());
}

void closeFile(double fid) {
  Array f = num(fid);
  fileCall(1, 1, {f.get()});
}

// Peak resident memory, resettable (Linux: /proc/self/clear_refs).
long peakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// fread(fid, precision, format) of the whole big file.
void Fread(benchmark::State &state, const char *precision, const char *format) {
  const std::string &path = bigFile();
  double peakRatio = 0;
  for (auto _ : state) {
    const double fid = openFile(path, "r", format);
    Array f = num(fid), p = str(precision);
    resetPeak();
    const long before = peakKiB();
    std::vector<Array> r = fileCall(2, 1, {f.get(), p.get()});
    const double resultKiB = static_cast<double>(qxGetNumberOfElements(r[0].get())) *
                             static_cast<double>(qxGetElementSize(r[0].get())) / 1024.0;
    peakRatio = static_cast<double>(peakKiB() - before) / resultKiB;
    benchmark::DoNotOptimize(qxGetData(r[0].get()));
    closeFile(fid);
  }
  state.counters["peak_over_result"] = peakRatio;
}

// The baseline: std::fread of the file into a buffer, then the conversion.
template <typename File, typename Result>
void FreadBaseline(benchmark::State &state, bool swap) {
  const std::string &path = bigFile();
  for (auto _ : state) {
    FILE *f = std::fopen(path.c_str(), "rb");
    const size_t capacity = kBigFile / sizeof(File);
    std::unique_ptr<File[]> raw(new File[capacity]);
    const size_t n = std::fread(raw.get(), sizeof(File), capacity, f);
    std::fclose(f);
    if constexpr (std::is_same_v<File, Result>) {
      if (swap) {
        for (File &v : std::span<File>(raw.get(), n)) {
          uint64_t bits;
          std::memcpy(&bits, &v, 8);
          bits = __builtin_bswap64(bits);
          std::memcpy(&v, &bits, 8);
        }
      }
      benchmark::DoNotOptimize(raw.get());
    } else {
      std::unique_ptr<Result[]> converted(new Result[n]);
      for (size_t i = 0; i < n; ++i) converted[i] = static_cast<Result>(raw[i]);
      benchmark::DoNotOptimize(converted.get());
    }
  }
}

// fwrite(fid, data, precision) of 8 million doubles.
void Fwrite(benchmark::State &state, const char *precision) {
  Array data(qxCreateDoubleMatrix(kWriteValues, 1, 0));
  double *pr = qxGetPr(data.get());
  for (int i = 0; i < kWriteValues; ++i) pr[i] = (i % 60000) - 30000;
  const std::string path = scratch("out.bin");
  for (auto _ : state) {
    const double fid = openFile(path, "w");
    Array f = num(fid), p = str(precision);
    fileCall(3, 1, {f.get(), data.get(), p.get()});
    closeFile(fid);
  }
}

template <typename File>
void FwriteBaseline(benchmark::State &state) {
  std::vector<double> data(kWriteValues);
  for (int i = 0; i < kWriteValues; ++i) data[i] = (i % 60000) - 30000;
  const std::string path = scratch("out.bin");
  for (auto _ : state) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if constexpr (std::is_same_v<File, double>) {
      std::fwrite(data.data(), sizeof(double), data.size(), f);
    } else {
      // The same conversion as fwrite: nearest, halves away from zero, saturated.
      constexpr double lowest = std::numeric_limits<File>::min(), highest = std::numeric_limits<File>::max();
      std::vector<File> converted(data.size());
      for (size_t i = 0; i < data.size(); ++i)
        converted[i] = static_cast<File>(std::clamp(std::round(data[i]), lowest, highest));
      std::fwrite(converted.data(), sizeof(File), converted.size(), f);
    }
    std::fclose(f);
  }
}

void Fgets(benchmark::State &state) {
  const std::string &path = linesFile();
  for (auto _ : state) {
    const double fid = openFile(path, "r");
    Array f = num(fid);
    qxArray *in[] = {f.get()};
    for (int i = 0; i < kLines; ++i) {
      qxArray *out[1] = {nullptr};
      fiFcn(1, out, 8, 1, in);
      benchmark::DoNotOptimize(out[0]);
      qxDestroyArray(out[0]);
    }
    closeFile(fid);
  }
}

// The cost of a file-I/O call that makes one output array (feof), the
// floor under every per-line fgets call.
void CallFloor(benchmark::State &state) {
  const double fid = openFile(linesFile(), "r");
  Array f = num(fid);
  qxArray *in[] = {f.get()};
  for (auto _ : state) {
    for (int i = 0; i < kLines; ++i) {
      qxArray *out[1] = {nullptr};
      fiFcn(1, out, 13, 1, in);
      qxDestroyArray(out[0]);
    }
  }
  closeFile(fid);
}

void GetlineBaseline(benchmark::State &state) {
  const std::string &path = linesFile();
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) benchmark::DoNotOptimize(line.data());
  }
}

// Random access: fseek to 100,000 pseudo-random byte offsets of the big
// file and fread one double at each, against the same C calls on a plain
// FILE with the C library's own buffer. Every fseek first checks that its
// target lies within the file, and every seek refills the stream buffer.
constexpr int kRandomReads = 100'000;

uint64_t nextOffset(uint64_t &state) {
  state = state * 6364136223846793005u + 1442695040888963407u;
  return (state >> 33) % (kBigFile - 8);
}

void RandomReads(benchmark::State &state) {
  const double fid = openFile(bigFile(), "r");
  Array f = num(fid), p = str("double"), one = num(1);
  for (auto _ : state) {
    uint64_t seed = 7;
    for (int i = 0; i < kRandomReads; ++i) {
      Array offset = num(static_cast<double>(nextOffset(seed)));
      fileCall(9, 1, {f.get(), offset.get(), num(-1).get()});
      std::vector<Array> r = fileCall(2, 1, {f.get(), one.get(), p.get()});
      benchmark::DoNotOptimize(qxGetData(r[0].get()));
    }
  }
  closeFile(fid);
}

void RandomReadsBaseline(benchmark::State &state) {
  FILE *f = std::fopen(bigFile().c_str(), "rb");
  for (auto _ : state) {
    uint64_t seed = 7;
    for (int i = 0; i < kRandomReads; ++i) {
      std::fseek(f, static_cast<long>(nextOffset(seed)), SEEK_SET);
      double value = 0;
      benchmark::DoNotOptimize(std::fread(&value, sizeof value, 1, f));
    }
  }
  std::fclose(f);
}

const char *otherOrder() { return std::endian::native == std::endian::little ? "b" : "l"; }

void FreadBaselineUint8(benchmark::State &state) { FreadBaseline<uint8_t, uint8_t>(state, false); }
void FreadBaselineDouble(benchmark::State &state) { FreadBaseline<double, double>(state, false); }
void FreadBaselineInt16ToDouble(benchmark::State &state) { FreadBaseline<int16_t, double>(state, false); }
void FreadBaselineDoubleSwapped(benchmark::State &state) { FreadBaseline<double, double>(state, true); }
void FwriteBaselineDouble(benchmark::State &state) { FwriteBaseline<double>(state); }
void FwriteBaselineInt16(benchmark::State &state) { FwriteBaseline<int16_t>(state); }

BENCHMARK_CAPTURE(Fread, uint8, "*uint8", "n")->Unit(benchmark::kMillisecond);
BENCHMARK(FreadBaselineUint8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fread, double, "double", "n")->Unit(benchmark::kMillisecond);
BENCHMARK(FreadBaselineDouble)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fread, int16_to_double, "int16=>double", "n")->Unit(benchmark::kMillisecond);
BENCHMARK(FreadBaselineInt16ToDouble)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fread, double_swapped, "double", otherOrder())->Unit(benchmark::kMillisecond);
BENCHMARK(FreadBaselineDoubleSwapped)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fwrite, double, "double")->Unit(benchmark::kMillisecond);
BENCHMARK(FwriteBaselineDouble)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fwrite, int16, "int16")->Unit(benchmark::kMillisecond);
BENCHMARK(FwriteBaselineInt16)->Unit(benchmark::kMillisecond);
BENCHMARK(Fgets)->Unit(benchmark::kMillisecond);
BENCHMARK(GetlineBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(CallFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(RandomReads)->Unit(benchmark::kMillisecond);
BENCHMARK(RandomReadsBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  const int result = zqbench::runWithRatios(
      argc, argv,
      {{"fread *uint8", "Fread/uint8", "FreadBaselineUint8"},
       {"fread double", "Fread/double", "FreadBaselineDouble"},
       {"fread int16=>double", "Fread/int16_to_double", "FreadBaselineInt16ToDouble"},
       {"fread double other byte order", "Fread/double_swapped", "FreadBaselineDoubleSwapped"},
       {"fwrite double", "Fwrite/double", "FwriteBaselineDouble"},
       {"fwrite int16", "Fwrite/int16", "FwriteBaselineInt16"},
       {"fgets", "Fgets", "GetlineBaseline"},
       {"one million feof calls (the call floor)", "CallFloor", "GetlineBaseline"},
       {"fseek and fread of one double at random offsets", "RandomReads", "RandomReadsBaseline"}});
  std::remove(scratch("big.bin").c_str());
  std::remove(scratch("lines.txt").c_str());
  std::remove(scratch("out.bin").c_str());
  return result;
}
