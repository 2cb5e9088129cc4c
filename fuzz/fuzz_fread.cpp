// fread of fuzzed bytes in every machine format, through a precision chosen
// from those that convert (floating formats, integers, bit fields, class
// conversions, blocks) with a skip.
#include <limits>

#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
  zqfuzz::setUp();
  static zqfuzz::MemoryFile file;
  static constexpr const char *kPrecisions[] = {
      "double", "float32",     "single",        "int8",        "uint8",       "int16",  "uint16",  "int32",
      "uint32", "int64",       "uint64",        "char",        "schar",       "uchar",  "long",    "ulong",
      "short",  "ushort",      "float64",       "real*8",      "integer*2",   "bit1",   "ubit7",   "bit13",
      "ubit31", "bit64",       "ubit64",        "*int16",      "uint8=>char", "*float", "3*int16", "2*bit5",
      "*char",  "float=>int8", "int64=>double", "ubit3=>uint8"};
  static constexpr const char *kFormats[] = {"l", "b", "d", "g", "c", "a", "s"};
  FuzzedDataProvider data(bytes, size);
  const zqfuzz::Array precision = zqfuzz::text(data.PickValueInArray(kPrecisions));
  const zqfuzz::Array skip = zqfuzz::number(zqfuzz::smallNumber(data, 9));
  // A hundred bytes or so meet every path (read as single bits they are a
  // thousand values); more only slow the run down.
  const std::vector<unsigned char> content = data.ConsumeBytes<unsigned char>(128);
  const zqfuzz::Array path = zqfuzz::text(file.filled(content)), read = zqfuzz::text("r");
  const zqfuzz::Array fid = zqfuzz::call("fopen", 1, {path.get(), read.get()});
  if (fid == nullptr || qxGetScalar(fid.get()) < 3) return 0;
  // Mostly a count: a read to the end starts with a large chunk, which makes
  // every run slow.
  const double count =
      data.ConsumeIntegralInRange(0, 3) == 0 ? std::numeric_limits<double>::infinity() : zqfuzz::smallNumber(data, 100);
  const zqfuzz::Array all = zqfuzz::number(count);
  const zqfuzz::Array zero = zqfuzz::number(0), origin = zqfuzz::text("bof");
  for (const char *machine : kFormats) {
    const zqfuzz::Array format = zqfuzz::text(machine);
    zqfuzz::call("fread", 2, {fid.get(), all.get(), precision.get(), skip.get(), format.get()});
    zqfuzz::call("fseek", 1, {fid.get(), zero.get(), origin.get()});
  }
  zqfuzz::call("fclose", 1, {fid.get()});
  return 0;
}
