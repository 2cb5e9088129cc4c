// sscanf and fscanf: argument checks, the size argument, and the shape of
// the values read by the one input engine.
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "fileio/arguments.h"
#include "textio/arguments.h"
#include "textio/input.h"
#include "textio/operations.h"

namespace zq::textio {
namespace {

constexpr double kIntMax = 2147483647.0;

// The size argument: M rows, N columns (-1: no limit), the number of its
// elements, and the count of conversions it allows (-1: no limit).
struct SizeArgument {
  int rows = 1;
  int cols = -1;
  int dims = 0;
  int limit = -1;
};

// Reads a size argument: a scalar n (Inf: no limit), [M N] or [M Inf];
// anything else raises host message 54.
SizeArgument readSize(const qxArray *a) {
  const int n = qxGetNumberOfElements(a);
  if (qxIsChar(a) || qxIsComplex(a) || (n != 1 && n != 2) || (n == 2 && qxGetM(a) != 1)) qxErrMsg(54);
  std::unique_ptr<qxArray, void (*)(qxArray *)> copy(nullptr, qxDestroyArray);
  if (qxGetClassID(a) != QX_CLASS_DOUBLE) {
    copy.reset(qxCreateConvertedCopy(a, QX_CLASS_DOUBLE));
    if (!copy) qxErrMsg(18);
    a = copy.get();
  }
  const double *v = qxGetPr(a);
  for (int i = 0; i < n; ++i) {
    if (std::isnan(v[i]) || v[i] < 0) qxErrMsg(54);
  }
  SizeArgument size;
  size.dims = n;
  const double m = std::trunc(v[0]);
  if (n == 1) {
    size.rows = m > kIntMax ? 1 : static_cast<int>(m);
    size.cols = m > kIntMax ? -1 : m == 0 ? 0 : 1;
  } else {
    const double cols = std::trunc(v[1]);
    if (m > kIntMax) qxErrMsg(54);
    if (cols > kIntMax) {
      size.rows = static_cast<int>(m);
      size.cols = m == 0 ? 0 : -1;
    } else {
      if (m * cols > kIntMax) qxErrMsg(54);
      size.rows = static_cast<int>(m);
      size.cols = static_cast<int>(cols);
    }
  }
  if (size.rows == 0) size.cols = 0;
  size.limit = size.cols < 0 ? -1 : size.rows * size.cols;
  return size;
}

// The values read, shaped: M rows when the size gives them (fewer when
// fewer values came), a column without size, a row for text and for the
// sizes [1 N] and [1 Inf]; text becomes a char array.
qxArray *shapeResult(const ScanResult &result, const SizeArgument &size) {
  const int count = static_cast<int>(result.values.size());
  int rows = 0, cols = 0;
  if (count > 0) {
    rows = size.rows;
    if (count < rows || (!result.numeric && size.dims != 2)) rows = count;
    cols = (count + rows - 1) / rows;
    if (rows == 1) std::swap(rows, cols);
    const bool asRow = (!result.numeric && size.dims != 2) || (size.dims == 2 && size.rows == 1);
    if (asRow) {
      rows = 1;
      cols = count;
    }
  }
  const int dims[2] = {rows, cols};
  qxArray *out = result.numeric ? qxCreateNumericArray(2, dims, QX_CLASS_DOUBLE, 0) : qxCreateCharArray(2, dims);
  if (out == nullptr) qxErrMsg(18);
  if (result.numeric) {
    std::memcpy(qxGetPr(out), result.values.data(), result.values.size() * sizeof(double));
  } else {
    qxChar *codes = qxGetChars(out);
    for (int i = 0; i < count; ++i) codes[i] = static_cast<qxChar>(result.values[static_cast<size_t>(i)]);
  }
  return out;
}

// The empty M-by-N result of a size that allows no values.
qxArray *emptyResult(const SizeArgument &size) {
  const int dims[2] = {size.rows, std::max(size.cols, 0)};
  return qxCreateNumericArray(2, dims, QX_CLASS_DOUBLE, 0);
}

SizeArgument sizeArgument(const FiRequest &request) {
  return request.nrhs == 3 ? readSize(request.prhs[2]) : SizeArgument{};
}

void checkCounts(const FiRequest &request, int maxOut) {
  if (request.nrhs < 2) qxErrMsg(2);
  if (request.nrhs > 3) qxErrMsg(1);
  if (request.nlhs > maxOut) qxErrMsg(3);
}

// A short read without a reason of its own says more about the file:
// -4 at its end, -3 when nothing was read from a file not open for reading.
int refineReadCode(const fileio::FileEntry &entry, int code, bool anyValue) {
  if (code != kErrUnknown) return code;
  if (!anyValue && !fileio::permissionHasAny(entry, "r")) return kErrNotOpenForReading;
  return std::feof(entry.stream) ? kErrAtEndOfFile : kErrUnknown;
}

}  // namespace

int sscanfOperation(FiRequest &request, FileTable &, TransferDescriptor &) {
  checkCounts(request, 4);
  const fileio::HostText raw = fileio::textArgument(request.prhs[0], 56);
  fileio::requireChar(request.prhs[1], 49);
  const SizeArgument size = sizeArgument(request);
  const PreparedFormat format = prepareFormat(request.prhs[1], false);
  const std::string_view text(raw.get());

  ScanResult result;
  size_t consumed = 0;
  if (size.limit != 0) {
    TextSource source(text);
    result = scanFormatted(source, format.text, size.limit);
    consumed = source.consumed();
  }
  qxArray **out = request.plhs;
  out[0] = size.limit == 0 ? emptyResult(size) : shapeResult(result, size);
  if (request.nlhs >= 2) out[1] = qxCreateScalarDouble(result.count);
  if (request.nlhs >= 3) out[2] = qxCreateString(fileio::messageForCode(result.code));
  if (request.nlhs >= 4) out[3] = qxCreateScalarDouble(static_cast<double>(consumed) + 1);
  return format.escapesValid ? 0 : 1;
}

int fscanfOperation(FiRequest &request, FileTable &table, TransferDescriptor &) {
  checkCounts(request, 2);
  const int fid = fileio::nonNegativeFid(request.prhs[0]);
  if (fid == 0) qxErrMsg(61);
  fileio::requireChar(request.prhs[1], 49);
  fileio::FileEntry &entry = fileio::requireEntry(table, fid);
  const SizeArgument size = sizeArgument(request);
  const PreparedFormat format = prepareFormat(request.prhs[1], false);

  ScanResult result;
  if (size.limit == 0) {
    request.plhs[0] = emptyResult(size);
  } else if (fileio::releaseBitState(entry) != 0) {
    request.plhs[0] = qxCreateDoubleMatrix(0, 0, 0);
  } else {
    StreamSource source(entry.stream);
    result = scanFormatted(source, format.text, size.limit);
    fileio::recordCode(entry, refineReadCode(entry, result.code, !result.values.empty()));
    request.plhs[0] = shapeResult(result, size);
  }
  if (!format.escapesValid) fileio::recordCode(entry, kErrInvalidFormat);
  if (request.nlhs >= 2) request.plhs[1] = qxCreateScalarDouble(result.count);
  return format.escapesValid ? 0 : 1;
}

}  // namespace zq::textio
