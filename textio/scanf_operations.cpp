// sscanf and fscanf: argument checks, the size limit, and the shape of
// the values read by the one input engine.
#include <algorithm>
#include <string_view>

#include "common/arguments.h"
#include "common/char_codes.h"
#include "common/outputs.h"
#include "common/owned.h"
#include "common/size_argument.h"
#include "fileio/arguments.h"
#include "fileio/error_codes.h"
#include "fileio/transfer_core.h"
#include "textio/arguments.h"
#include "textio/input.h"
#include "textio/operations.h"

namespace zq::textio {
namespace {

using common::SizeArgument;

// The count of conversions a size allows (-1: no limit).
int conversionLimit(const SizeArgument &size) { return size.cols < 0 ? -1 : size.rows * size.cols; }

// The values read as the result: shaped by the rule of the chunk list,
// text converted to char, an empty result 0-by-0, and a row for text
// (unless the size has two elements) and for the sizes [1 N] and [1 Inf].
qxArray *resultArray(ScanResult &result, const SizeArgument &size) {
  common::OwnedArray values = result.values.finish(result.numeric ? 2 : 4, size.dims);
  if (!result.numeric) values.reset(common::created(common::doubleToChar(values.get())));
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
  return common::sizeArgument(request.nrhs == 3 ? request.prhs[2] : nullptr);
}

}  // namespace

int sscanfOperation(FiRequest &request, FileTable &, TransferDescriptor &transfer) {
  qxCheckNumArgs(request.nlhs, 4, request.nrhs, 2, 3);
  const common::HostText raw = common::textArgument(request.prhs[0], QX_MSG_SCAN_TEXT_NOT_STRING);
  common::requireChar(request.prhs[1], QX_MSG_FORMAT_NOT_STRING);
  const SizeArgument size = sizeArgument(request);
  const PreparedFormat format = prepareFormat(request.prhs[1], false);
  const std::string_view text(raw.get());
  int count = 0, code = kErrNone;

  TextSource source(text);
  common::Outputs out = request.outputs();
  if (conversionLimit(size) == 0) {
    out.set(0, emptyResult(size));
  } else {
    ValueStore store(transfer, size.cols >= 0 ? 512 : 64, size.rows, size.cols);
    ScanResult result(store);
    scanFormatted(source, format.text, conversionLimit(size), result);
    out.set(0, resultArray(result, size));
    count = result.count;
    code = result.code;
  }
  if (out.wants(1)) out.set(1, common::scalarResult(count));
  if (out.wants(2)) out.set(2, common::stringResult(fileio::messageForCode(code)));
  if (out.wants(3)) out.set(3, common::scalarResult(static_cast<double>(source.consumed()) + 1));
  return format.escapesValid ? 0 : 1;
}

int fscanfOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer) {
  qxCheckNumArgs(request.nlhs, 2, request.nrhs, 2, 3);
  const int fid = fileio::readableFid(request.prhs[0]);
  common::requireChar(request.prhs[1], QX_MSG_FORMAT_NOT_STRING);
  fileio::FileEntry &entry = fileio::requireEntry(table, fid);
  const fileio::RefusedReadGuard refused(entry);
  const SizeArgument size = sizeArgument(request);
  const PreparedFormat format = prepareFormat(request.prhs[1], false);

  int count = 0;
  common::Outputs out = request.outputs();
  if (conversionLimit(size) == 0) {
    out.set(0, emptyResult(size));
  } else if (fileio::releaseBitState(entry) != 0) {
    out.set(0, qxCreateDoubleMatrix(0, 0, 0));
  } else {
    StreamSource source(entry.stream);
    ValueStore store(transfer, 512, size.rows, size.cols);
    ScanResult result(store);
    scanFormatted(source, format.text, conversionLimit(size), result);
    fileio::recordCode(entry, result.code);
    fileio::settleReadStatus(entry, store.size());
    out.set(0, resultArray(result, size));
    count = result.count;
  }
  if (!format.escapesValid) fileio::recordCode(entry, kErrInvalidFormat);
  if (out.wants(1)) out.set(1, common::scalarResult(count));
  return format.escapesValid ? 0 : 1;
}

}  // namespace zq::textio
