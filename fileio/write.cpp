// fwrite: the elements of an array written in a precision and machine
// format, with an optional gap before every block of values.
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/arguments.h"
#include "common/outputs.h"
#include "fileio/arguments.h"
#include "fileio/bit_stream.h"
#include "fileio/error_codes.h"
#include "fileio/operations.h"
#include "fileio/skips.h"
#include "fileio/transfer_core.h"
#include "host/ut.h"

namespace zq::fileio {
namespace {

// The bits of one field: the value rounded, exact when the field can hold
// it; beyond the range unsigned fields take all ones (above, +Inf, NaN) or
// 0 (below, -Inf), signed fields their largest or smallest value (NaN 0).
uint64_t fieldBits(double x, int bits, bool isSigned) {
  const uint64_t mask = bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
  const double half = std::ldexp(1.0, bits - 1);
  if (!isSigned) {
    if (std::isnan(x)) return mask;
    x = utRound(x);
    if (x >= 2 * half) return mask;
    if (x < -half) return 0;
  } else {
    if (std::isnan(x)) return 0;
    x = utRound(x);
    if (x >= half) return mask >> 1;
    if (x < -half) return (mask >> 1) + 1;
  }
  const uint64_t pattern = x >= 0 ? static_cast<uint64_t>(x) : static_cast<uint64_t>(static_cast<int64_t>(x));
  return pattern & mask;
}

// One fwrite call: the data, the file and how the values travel.
struct Writer {
  FileEntry &entry;
  const qxArray *data;
  int dataClass;
  PrecisionSpec prec;
  PathChoice choice;
  long long skip = 0;  // bytes, or bits for bit fields
  long fileEnd = 0;
  long long written = 0;  // values (bytes) written so far
  Staging staging;

  const unsigned char *source() const {
    const size_t unit = choice.path == TransferPath::Raw ? 1 : qxGetElementSize(data);
    return static_cast<const unsigned char *>(qxGetData(data)) + unit * static_cast<size_t>(written);
  }

  int writeRaw(const void *from, int n) {
    clearErrno();
    const size_t put = std::fwrite(from, static_cast<size_t>(choice.valueSize), static_cast<size_t>(n), entry.stream);
    if (put < static_cast<size_t>(n)) recordWriteFailure(entry, streamFailureCode(entry.stream, kErrUnknown));
    return static_cast<int>(put);
  }

  // One step: n values from the data to the file.
  int step(int n) {
    int put = 0;
    switch (choice.path) {
      case TransferPath::Raw:
      case TransferPath::Direct: put = writeRaw(source(), n); break;
      case TransferPath::NativeConvert:
        qxConvertBufferToType(staging.get(), choice.fileClass, source(), dataClass, n);
        put = writeRaw(staging.get(), n);
        break;
      case TransferPath::Foreign:
        qxConvertBufferToType(staging.get(), QX_CLASS_DOUBLE, source(), dataClass, n);
        doublesToFileValues(staging.get(), n, choice.valueSize, prec.outputType, prec.format);
        put = writeRaw(staging.get(), n);
        break;
      case TransferPath::Bits: put = writeFields(n); break;
    }
    written += put;
    if (skip > 0 && choice.path != TransferPath::Bits) {
      const long position = std::ftell(entry.stream);
      if (position > fileEnd) fileEnd = position;
    }
    return put;
  }

  // Each value as the low N bits of a W-bit container, in stream order.
  int writeFields(int n) {
    auto *values = reinterpret_cast<double *>(staging.get());
    qxConvertBufferToType(values, QX_CLASS_DOUBLE, source(), dataClass, n);
    const int width = prec.fileSize > 0 ? prec.fileSize : prec.bitCount;
    const bool isSigned = utDconvertSign(prec.outputType) == 1;
    for (int i = 0; i < n; ++i) {
      if (!putBits(entry, fieldBits(values[i], prec.bitCount, isSigned), width)) return i;
    }
    return n;
  }

  bool skipStep() {
    if (choice.path == TransferPath::Bits) return skipBitsOnWrite(entry, skip, fileEnd);
    return skipBytesOnWrite(entry, skip, fileEnd);
  }

  bool writeAll(long long want) {
    const bool staged = choice.path != TransferPath::Raw && choice.path != TransferPath::Direct;
    const int limit = staged ? kStagingValues : INT_MAX;
    bool complete = false;
    steppedTransfer(
        0, want, prec.blockCount, skip > 0, true, limit, [this](int n) { return step(n); },
        [this] { return skipStep(); }, complete);
    return complete;
  }
};

// The name the unsupported-class message shows for the data.
const char *shownName(const qxArray *a) {
  const char *name = qxGetName(a);
  return name != nullptr && name[0] != '\0' ? name : "data";
}

// After the write: flush unless the permission is "W" or "A"; unless a
// flush failed, the stream's error indicator becomes the status (so a
// complete write under "W" clears an old code too). A write that stopped
// without a system reason is explained by what it managed.
void settleWriteStatus(FileEntry &entry, bool complete, long long written) {
  if (complete) {
    if (flushAfterWrite(entry) != WriteFlush::kFailed) entry.status = std::ferror(entry.stream);
    return;
  }
  // Writing to a read-only stream fails with a system reason on this
  // platform; the user is told what is wrong all the same.
  if (written == 0 && isReadOnlyPermission(entry)) {
    recordCode(entry, kErrNotOpenForWriting);
  } else if (entry.status == kErrUnknown && written > 0) {
    recordCode(entry, kErrNoMoreSpace);
  }
}

// The checked arguments of one fwrite call, in the order the checks run.
struct WriteRequest {
  const qxArray *data = nullptr;
  int dataClass = 0;
  int dataType = 0;
  int fid = 0;
  common::HostText precision;
  int format = -1;  // -1: the file's own
  int skip = 0;
};

// fid, A [, precision [, skip] [, format]]: a fourth input is the format
// when it is char, the skip otherwise.
WriteRequest writeRequest(const FiRequest &request) {
  WriteRequest r;
  r.data = request.prhs[1];
  r.dataClass = qxGetClassID(r.data);
  r.dataType = typeCodeOfClass(r.dataClass);
  if (r.dataType == 0) qxErrMsgTxt("Cannot write %s: unsupported class %s", shownName(r.data), qxGetClassName(r.data));
  r.fid = nonNegativeFid(request.prhs[0]);
  if (request.nrhs >= 3) r.precision = common::textArgument(request.prhs[2], QX_MSG_INVALID_PRECISION);
  const bool fourthIsFormat = request.nrhs == 4 && qxIsChar(request.prhs[3]);
  const qxArray *skip = request.nrhs == 5 || (request.nrhs == 4 && !fourthIsFormat) ? request.prhs[3] : nullptr;
  if (skip != nullptr && qxIsChar(skip)) qxErrMsg(QX_MSG_INVALID_SKIP);
  const qxArray *format = request.nrhs == 5 ? request.prhs[4] : fourthIsFormat ? request.prhs[3] : nullptr;
  if (format != nullptr) r.format = formatArgument(format);
  r.skip = skip != nullptr ? common::integerArgument(skip) : 0;
  return r;
}

// The path of the data's values; doubles go through the host's format
// converter even for the native format: the same rounding and saturation
// as the class conversion, without a call per element.
PathChoice writePath(const PrecisionSpec &prec, int dataClass) {
  PathChoice choice = choosePath(prec, prec.outputType, dataClass);
  if (choice.path == TransferPath::NativeConvert && dataClass == QX_CLASS_DOUBLE) choice.path = TransferPath::Foreign;
  return choice;
}

}  // namespace

int fwriteOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer) {
  qxCheckNumArgs(request.nlhs, 1, request.nrhs, 2, 5);
  WriteRequest args = writeRequest(request);
  FileEntry &entry = requireEntry(table, args.fid);

  PrecisionSpec prec;
  prec.format = args.format >= 0 ? args.format : entry.machineFormat;
  prec.inputType = args.dataType;
  precisionArgument(args.precision.get(), prec);
  if (args.skip < 0) qxErrMsg(QX_MSG_INVALID_SKIP);

  const PathChoice choice = writePath(prec, args.dataClass);
  const long long elements = qxGetNumberOfElements(args.data);
  const long long want =
      choice.path == TransferPath::Raw ? elements * static_cast<long long>(qxGetElementSize(args.data)) : elements;
  transfer = TransferDescriptor{};
  transfer.resultClass = args.dataClass;
  transfer.rows = qxGetM(args.data);
  transfer.cols = qxGetN(args.data);
  transfer.byteMode = choice.path == TransferPath::Raw ? 1 : 0;

  Writer writer{entry, args.data, args.dataClass, prec, choice, args.skip, 0, 0, nullptr};
  if (want == 0) {
    entry.status = 0;
  } else if (prepareBitsForWriting(entry, prec.bitCount, prec.format) == 0) {
    if (choice.path != TransferPath::Raw && choice.path != TransferPath::Direct) writer.staging = stagingBuffer();
    const bool measured = args.skip == 0 || measureFile(entry, writer.fileEnd);
    settleWriteStatus(entry, measured && writer.writeAll(want), writer.written);
  }
  transfer.count = static_cast<int>(std::min<long long>(writer.written, INT_MAX));
  if (request.nlhs == 1 || (request.nlhs == 0 && args.fid >= 3)) {
    request.outputs().set(0, common::scalarResult(static_cast<double>(writer.written)));
  }
  return transfer.count;
}

}  // namespace zq::fileio
