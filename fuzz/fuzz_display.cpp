// display and disp of fuzzed values (class, shape and contents, cells and
// structures nested a little) in every print format and window width.
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.h"

namespace {

constexpr int kNumericClasses[] = {QX_CLASS_DOUBLE, QX_CLASS_SINGLE, QX_CLASS_INT8,   QX_CLASS_UINT8, QX_CLASS_INT16,
                                   QX_CLASS_UINT16, QX_CLASS_INT32,  QX_CLASS_UINT32, QX_CLASS_CHAR};

// Up to four dimensions of 0 to 5 (two most of the time).
std::vector<int> shape(FuzzedDataProvider &data) {
  std::vector<int> dims(data.ConsumeBool() ? 2 : static_cast<size_t>(data.ConsumeIntegralInRange(0, 4)));
  for (int &d : dims) d = data.ConsumeIntegralInRange(0, 5);
  return dims;
}

zqfuzz::Array value(FuzzedDataProvider &data, int depth);

zqfuzz::Array numeric(FuzzedDataProvider &data) {
  const std::vector<int> dims = shape(data);
  const int classId = data.PickValueInArray(kNumericClasses);
  const bool complex = classId != QX_CLASS_CHAR && data.ConsumeBool();
  zqfuzz::Array doubles(qxCreateNumericArray(static_cast<int>(dims.size()), dims.data(), QX_CLASS_DOUBLE, complex));
  if (doubles == nullptr) return nullptr;
  const int n = qxGetNumberOfElements(doubles.get());
  for (int i = 0; i < n; ++i) {
    qxGetPr(doubles.get())[i] = zqfuzz::interestingDouble(data);
    if (complex) qxGetPi(doubles.get())[i] = zqfuzz::interestingDouble(data);
  }
  if (classId == QX_CLASS_DOUBLE) {
    qxSetLogical(doubles.get(), !complex && data.ConsumeIntegralInRange(0, 7) == 0);
    return doubles;
  }
  return zqfuzz::Array(qxCreateConvertedCopy(doubles.get(), classId));
}

// A sparse matrix: each element is a stored nonzero or absent.
zqfuzz::Array sparse(FuzzedDataProvider &data) {
  const int m = data.ConsumeIntegralInRange(0, 6), n = data.ConsumeIntegralInRange(0, 6);
  zqfuzz::Array a(qxCreateSparse(m, n, m * n, 0));
  int *ir = qxGetIr(a.get()), *jc = qxGetJc(a.get());
  double *pr = qxGetPr(a.get());
  int stored = 0;
  for (int j = 0; j < n; ++j) {
    jc[j] = stored;
    for (int i = 0; i < m; ++i) {
      if (data.ConsumeBool()) continue;
      ir[stored] = i;
      pr[stored++] = zqfuzz::interestingDouble(data);
    }
  }
  jc[n] = stored;
  return a;
}

zqfuzz::Array handles(FuzzedDataProvider &data) {
  static constexpr const char *kNames[] = {"sin", "cos", "a_rather_long_function_name", "f", "x1"};
  const std::vector<int> dims = shape(data);
  zqfuzz::Array a(qxCreateNumericArray(static_cast<int>(dims.size()), dims.data(), QX_CLASS_FUNCTION, 0));
  if (a == nullptr) return nullptr;
  auto *records = static_cast<qxFunctionHandleRecord *>(qxGetData(a.get()));
  for (int i = 0, n = qxGetNumberOfElements(a.get()); i < n; ++i) {
    qxFunctionHandleFromString(records + i, data.PickValueInArray(kNames));
  }
  return a;
}

zqfuzz::Array cell(FuzzedDataProvider &data, int depth) {
  const std::vector<int> dims = shape(data);
  zqfuzz::Array c(qxCreateCellArray(static_cast<int>(dims.size()), dims.data()));
  if (c == nullptr) return nullptr;
  for (int i = 0, n = qxGetNumberOfElements(c.get()); i < n; ++i) {
    if (data.ConsumeIntegralInRange(0, 5) != 0) qxSetCell(c.get(), i, value(data, depth + 1).release());
  }
  return c;
}

zqfuzz::Array structure(FuzzedDataProvider &data, int depth) {
  static constexpr const char *kFields[] = {"a", "bb", "a_long_field_name", "x", "value"};
  const int fields = data.ConsumeIntegralInRange(0, 4);
  std::vector<const char *> names;
  for (int f = 0; f < fields; ++f) names.push_back(kFields[f]);
  const int m = data.ConsumeIntegralInRange(0, 2), n = data.ConsumeIntegralInRange(0, 2);
  zqfuzz::Array s(qxCreateStructMatrix(m, n, fields, names.data()));
  for (int i = 0; i < m * n; ++i) {
    for (int f = 0; f < fields; ++f) qxSetFieldByNumber(s.get(), i, f, value(data, depth + 1).release());
  }
  return s;
}

zqfuzz::Array value(FuzzedDataProvider &data, int depth) {
  const int kind = data.ConsumeIntegralInRange(0, depth >= 2 ? 2 : 5);
  switch (kind) {
    case 0: return numeric(data);
    case 1: return zqfuzz::text(data.ConsumeRandomLengthString(30));
    case 2: return handles(data);
    case 3: return sparse(data);
    case 4: return cell(data, depth);
    default: return structure(data, depth);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
  zqfuzz::setUp();
  static constexpr const char *kFormats[] = {"short", "long", "short e", "long e",   "short g", "long g",  "hex",
                                             "bank",  "+",    "rat",     "rational", "debug",   "compact", "loose"};
  FuzzedDataProvider data(bytes, size);
  const std::string format = data.PickValueInArray(kFormats);
  const std::string columns = std::to_string(data.ConsumeIntegralInRange(1, 300));
  zqfuzz::Array shown = value(data, 0);
  if (shown == nullptr) return 0;
  qxSetName(shown.get(), "v");
  setenv("COLUMNS", columns.c_str(), 1);
  const size_t blank = format.find(' ');
  const zqfuzz::Array word = zqfuzz::text(format.substr(0, blank));
  if (blank == std::string::npos) {
    zqfuzz::call("format", 0, {word.get()});
  } else {
    const zqfuzz::Array modifier = zqfuzz::text(format.substr(blank + 1));
    zqfuzz::call("format", 0, {word.get(), modifier.get()});
  }
  zqfuzz::call("display", 0, {shown.get()});
  zqfuzz::call("disp", 0, {shown.get()});
  zqfuzz::call("format", 0, {});
  return 0;
}
