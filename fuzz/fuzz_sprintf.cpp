// sprintf, and fprintf to a file, with a fuzzed format and fuzzed data
// arguments (numbers, text, empty and integer arrays).
#include "fuzz/fuzz_support.h"

namespace {

// Widths and precisions of more than four digits take the same paths as
// shorter ones and only make the run slow (the limits on them are checked by
// the unit tests).
bool hasLongNumber(const std::string &format) {
  int run = 0;
  for (char c : format) {
    run = c >= '0' && c <= '9' ? run + 1 : 0;
    if (run > 4) return true;
  }
  return false;
}

zqfuzz::Array argument(FuzzedDataProvider &data) {
  switch (data.ConsumeIntegralInRange(0, 4)) {
    case 0: {
      std::vector<double> values(static_cast<size_t>(data.ConsumeIntegralInRange(0, 6)));
      for (double &v : values) v = zqfuzz::interestingDouble(data);
      return zqfuzz::row(values);
    }
    case 1: return zqfuzz::text(data.ConsumeRandomLengthString(24));
    case 2: return zqfuzz::Array(qxCreateDoubleMatrix(0, 0, 0));
    case 3: {
      zqfuzz::Array a(qxCreateNumericMatrix(1, 3, QX_CLASS_INT8, 0));
      for (int i = 0; i < 3; ++i)
        static_cast<signed char *>(qxGetData(a.get()))[i] = data.ConsumeIntegral<signed char>();
      return a;
    }
    default: return zqfuzz::number(zqfuzz::smallNumber(data, 40));  // a '*' width or precision
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
  zqfuzz::setUp();
  static zqfuzz::MemoryFile file;
  FuzzedDataProvider data(bytes, size);
  const std::string format = data.ConsumeRandomLengthString(200);
  if (hasLongNumber(format)) return -1;
  std::vector<zqfuzz::Array> arguments;
  const int count = data.ConsumeIntegralInRange(0, 4);
  for (int k = 0; k < count; ++k) arguments.push_back(argument(data));
  const zqfuzz::Array formatText = zqfuzz::text(format);
  const auto inputs = [&](const qxArray *fid) {
    std::vector<const qxArray *> in;
    if (fid != nullptr) in.push_back(fid);
    in.push_back(formatText.get());
    for (const auto &a : arguments) in.push_back(a.get());
    return in;
  };
  zqfuzz::call("sprintf", 2, inputs(nullptr));
  const zqfuzz::Array path = zqfuzz::text(file.empty()), mode = zqfuzz::text("w");
  const zqfuzz::Array fid = zqfuzz::call("fopen", 1, {path.get(), mode.get()});
  if (fid != nullptr && qxGetScalar(fid.get()) >= 3) {
    zqfuzz::call("fprintf", 1, inputs(fid.get()));
    zqfuzz::call("fclose", 1, {fid.get()});
  }
  return 0;
}
