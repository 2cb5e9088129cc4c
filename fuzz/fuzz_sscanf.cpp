// sscanf on fuzzed text with a fuzzed format and size, and fscanf of the
// same text from a file.
#include <limits>

#include "fuzz/fuzz_support.h"

namespace {

// None, N, Inf, [M N] or [M Inf], with small counts.
zqfuzz::Array sizeArgument(FuzzedDataProvider &data) {
  const double inf = std::numeric_limits<double>::infinity();
  switch (data.ConsumeIntegralInRange(0, 4)) {
    case 0: return nullptr;
    case 1: return zqfuzz::number(zqfuzz::smallNumber(data, 20));
    case 2: return zqfuzz::number(inf);
    case 3: return zqfuzz::row({zqfuzz::smallNumber(data, 6), zqfuzz::smallNumber(data, 6)});
    default: return zqfuzz::row({zqfuzz::smallNumber(data, 6), inf});
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
  zqfuzz::setUp();
  static zqfuzz::MemoryFile file;
  FuzzedDataProvider data(bytes, size);
  const std::string format = data.ConsumeRandomLengthString(64);
  const zqfuzz::Array limit = sizeArgument(data);
  const std::string input = data.ConsumeRemainingBytesAsString();
  const zqfuzz::Array text = zqfuzz::text(input), formatText = zqfuzz::text(format);
  std::vector<const qxArray *> in = {text.get(), formatText.get()};
  if (limit != nullptr) in.push_back(limit.get());
  zqfuzz::call("sscanf", 4, in);

  const zqfuzz::Array path = zqfuzz::text(file.filled({input.begin(), input.end()}));
  const zqfuzz::Array fid = zqfuzz::call("fopen", 1, {path.get()});
  if (fid != nullptr && qxGetScalar(fid.get()) >= 3) {
    in[0] = fid.get();
    zqfuzz::call("fscanf", 2, in);
    zqfuzz::call("fclose", 1, {fid.get()});
  }
  return 0;
}
