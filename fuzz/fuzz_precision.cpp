// fwrite and then fread of fuzzed values through a fuzzed precision string,
// skip and machine format, on a file in memory.
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
  zqfuzz::setUp();
  static zqfuzz::MemoryFile file;
  static constexpr const char *kFormats[] = {"n", "l", "b", "d", "g", "c", "a", "s"};
  FuzzedDataProvider data(bytes, size);
  const zqfuzz::Array precision = zqfuzz::text(data.ConsumeRandomLengthString(40));
  const zqfuzz::Array format = zqfuzz::text(data.PickValueInArray(kFormats));
  const zqfuzz::Array skip = zqfuzz::number(zqfuzz::smallNumber(data, 70) - 3);
  const zqfuzz::Array count = zqfuzz::number(zqfuzz::smallNumber(data, 30));
  std::vector<double> values(static_cast<size_t>(data.ConsumeIntegralInRange(0, 12)));
  for (double &v : values) v = zqfuzz::interestingDouble(data);
  const zqfuzz::Array numbers = zqfuzz::row(values);
  const bool withSkip = data.ConsumeBool();

  const zqfuzz::Array path = zqfuzz::text(file.empty()), mode = zqfuzz::text("w+");
  const zqfuzz::Array fid = zqfuzz::call("fopen", 1, {path.get(), mode.get(), format.get()});
  if (fid == nullptr || qxGetScalar(fid.get()) < 3) return 0;
  if (withSkip)
    zqfuzz::call("fwrite", 1, {fid.get(), numbers.get(), precision.get(), skip.get(), format.get()});
  else
    zqfuzz::call("fwrite", 1, {fid.get(), numbers.get(), precision.get()});
  const zqfuzz::Array zero = zqfuzz::number(0), origin = zqfuzz::text("bof");
  zqfuzz::call("fseek", 1, {fid.get(), zero.get(), origin.get()});
  if (withSkip)
    zqfuzz::call("fread", 2, {fid.get(), count.get(), precision.get(), skip.get(), format.get()});
  else
    zqfuzz::call("fread", 2, {fid.get(), count.get(), precision.get()});
  zqfuzz::call("fopen", 4, {fid.get()});
  zqfuzz::call("fclose", 1, {fid.get()});
  return 0;
}
