// sscanf and fscanf: argument checks, the size limit, and the shape of
// the values read by the one input engine.
#include <cstring>
#include <memory>
#include <string>

#include "builtins/file_io.h"
#include "common/char_codes.h"
#include "fileio/arguments.h"
#include "fileio/size_argument.h"
#include "fileio/transfer_core.h"
#include "textio/arguments.h"
#include "textio/input.h"
#include "textio/operations.h"

namespace zq::textio {
namespace {

using fileio::SizeArgument;

// The count of conversions a size allows (-1: no limit).
int conversionLimit(const SizeArgument &size) { return size.cols < 0 ? -1 : size.rows * size.cols; }

// The values read as the result: shaped by the rule of the chunk list,
// text converted to char, an empty result 0-by-0, and a row for text
// (unless the size has two elements) and for the sizes [1 N] and [1 Inf].
qxArray *resultArray(ScanResult &result, const SizeArgument &size) {
  std::unique_ptr<qxArray, void (*)(qxArray *)> values(result.values.finish(result.numeric ? 2 : 4, size.dims),
                                                       qxDestroyArray);
  if (!result.numeric) {
    qxArray *chars = common::doubleToChar(values.get());
    if (chars == nullptr) qxErrMsg(18);
    values.reset(chars);
  }
  const int count = qxGetNumberOfElements(values.get());
  const bool row = (!result.numeric && size.dims != 2) || (size.dims == 2 && size.rows == 1);
  if (count == 0 || row) {
    qxSetM(values.get(), count == 0 ? 0 : 1);
    qxSetN(values.get(), count);
  }
  return values.release();
}

// The empty M-by-N result of a size that allows no values.
qxArray *emptyResult(const SizeArgument &size) {
  const int dims[2] = {size.rows, std::max(size.cols, 0)};
  return qxCreateNumericArray(2, dims, QX_CLASS_DOUBLE, 0);
}

SizeArgument sizeArgument(const FiRequest &request) {
  return fileio::sizeArgument(request.nrhs == 3 ? request.prhs[2] : nullptr);
}

void checkCounts(const FiRequest &request, int maxOut) {
  if (request.nrhs < 2) qxErrMsg(2);
  if (request.nrhs > 3) qxErrMsg(1);
  if (request.nlhs > maxOut) qxErrMsg(3);
}

}  // namespace

int sscanfOperation(FiRequest &request, FileTable &, TransferDescriptor &transfer) {
  checkCounts(request, 4);
  const fileio::HostText raw = fileio::textArgument(request.prhs[0], 56);
  fileio::requireChar(request.prhs[1], 49);
  const SizeArgument size = sizeArgument(request);
  const PreparedFormat format = prepareFormat(request.prhs[1], false);
  const std::string_view text(raw.get());
  int count = 0, code = kErrNone;

  TextSource source(text);
  if (conversionLimit(size) == 0) {
    request.plhs[0] = emptyResult(size);
  } else {
    ValueStore store(transfer, size.cols >= 0 ? 512 : 64, size.rows, size.cols);
    ScanResult result(store);
    scanFormatted(source, format.text, conversionLimit(size), result);
    request.plhs[0] = resultArray(result, size);
    count = result.count;
    code = result.code;
  }
  qxArray **out = request.plhs;
  if (request.nlhs >= 2) out[1] = qxCreateScalarDouble(count);
  if (request.nlhs >= 3) out[2] = qxCreateString(fileio::messageForCode(code));
  if (request.nlhs >= 4) out[3] = qxCreateScalarDouble(static_cast<double>(source.consumed()) + 1);
  return format.escapesValid ? 0 : 1;
}

int fscanfOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer) {
  checkCounts(request, 2);
  const int fid = fileio::nonNegativeFid(request.prhs[0]);
  if (fid == 0) qxErrMsg(61);
  fileio::requireChar(request.prhs[1], 49);
  fileio::FileEntry &entry = fileio::requireEntry(table, fid);
  const SizeArgument size = sizeArgument(request);
  const PreparedFormat format = prepareFormat(request.prhs[1], false);

  int count = 0;
  if (conversionLimit(size) == 0) {
    request.plhs[0] = emptyResult(size);
  } else if (fileio::releaseBitState(entry) != 0) {
    request.plhs[0] = qxCreateDoubleMatrix(0, 0, 0);
  } else {
    StreamSource source(entry.stream);
    ValueStore store(transfer, 512, size.rows, size.cols);
    ScanResult result(store);
    scanFormatted(source, format.text, conversionLimit(size), result);
    fileio::recordCode(entry, result.code);
    fileio::settleReadStatus(entry, store.size());
    request.plhs[0] = resultArray(result, size);
    count = result.count;
  }
  if (!format.escapesValid) fileio::recordCode(entry, kErrInvalidFormat);
  if (request.nlhs >= 2) request.plhs[1] = qxCreateScalarDouble(count);
  return format.escapesValid ? 0 : 1;
}

}  // namespace zq::textio
