// fread: values of a precision read from a file, converted to the result
// class and shaped by the size argument.
#include <climits>
#include <cstdio>
#include <utility>

#include "common/arguments.h"
#include "common/outputs.h"
#include "common/size_argument.h"
#include "fileio/arguments.h"
#include "fileio/bit_stream.h"
#include "fileio/chunk_list.h"
#include "fileio/error_codes.h"
#include "fileio/operations.h"
#include "fileio/skips.h"
#include "fileio/transfer_core.h"

namespace zq::fileio {
namespace {

using common::SizeArgument;

constexpr int kFirstChunk = 512;

// The arguments after the fid, by position.
struct ReadArguments {
  const qxArray *size = nullptr;
  const qxArray *precision = nullptr;
  const qxArray *skip = nullptr;
  const qxArray *format = nullptr;
};

// An input in the precision position is recognised by being char; after
// it, a char input is the format and any other the skip.
ReadArguments sortReadArguments(const FiRequest &request) {
  ReadArguments args;
  const qxArray *const *rest = request.prhs + 1;
  const int n = request.nrhs - 1;
  if (n == 0) return args;
  int next = 0;
  if (!qxIsChar(rest[0]) || n == 4) args.size = rest[next++];
  if (next < n) args.precision = rest[next++];
  if (next < n && (n - next == 2 || !qxIsChar(rest[next]))) args.skip = rest[next++];
  if (next < n) args.format = rest[next++];
  return args;
}

// One fread call: the file, the precision and how the values travel.
struct Reader {
  FileEntry &entry;
  TransferDescriptor &transfer;
  PrecisionSpec prec;
  PathChoice choice;
  long long skip = 0;  // bytes, or bits for bit fields
  long fileEnd = LONG_MAX;
  Staging staging;
  ChunkList *chunks = nullptr;  // where the values go, once the list is made

  // Reads up to n values (bytes) into the last chunk with one stdio call.
  int readRaw(void *destination, int n) {
    clearErrno();
    const size_t got =
        std::fread(destination, static_cast<size_t>(choice.valueSize), static_cast<size_t>(n), entry.stream);
    if (got < static_cast<size_t>(n)) recordCode(entry, streamFailureCode(entry.stream, kErrUnknown));
    return static_cast<int>(got);
  }

  // At most the values left in the file plus one, so that the last step
  // ends at the end of the file (skipping transfers know the file's end).
  int boundedByFile(int n) const {
    if (fileEnd == LONG_MAX || choice.valueSize == 0) return n;
    const long position = std::ftell(entry.stream);
    const long long left = position < 0 ? n : (fileEnd - position) / choice.valueSize + 1;
    return static_cast<int>(std::min<long long>(n, std::max<long long>(left, 0)));
  }

  // One step of the byte-aligned paths: n values into the last chunk.
  int step(int n) {
    n = boundedByFile(n);
    void *destination = chunks->end();
    int got = 0;
    switch (choice.path) {
      case TransferPath::Raw:
      case TransferPath::Direct: got = readRaw(destination, n); break;
      case TransferPath::NativeConvert:
        got = readRaw(staging.get(), n);
        qxConvertBufferToType(destination, transfer.resultClass, staging.get(), choice.fileClass, got);
        break;
      case TransferPath::Foreign:
        if (transfer.resultClass == QX_CLASS_DOUBLE && choice.valueSize == 8) {
          got = readRaw(destination, n);  // converted in place
          fileValuesToDoubles(static_cast<unsigned char *>(destination), got, 8, prec.inputType, prec.format);
        } else {
          got = readRaw(staging.get(), n);
          fileValuesToDoubles(staging.get(), got, choice.valueSize, prec.inputType, prec.format);
          qxConvertBufferToType(destination, transfer.resultClass, staging.get(), QX_CLASS_DOUBLE, got);
        }
        break;
      case TransferPath::Bits: got = readFields(n); break;
    }
    chunks->stored(got);
    if (got == n) recordCode(entry, 0);
    return got;
  }

  // Bit fields: N bits of each W-bit container (padding first for
  // byte-order code 1, after the value otherwise), sign-extended for the
  // signed types.
  int readFields(int n) {
    const int bits = prec.bitCount;
    const int padding = prec.fileSize > 0 ? prec.fileSize - bits : 0;
    const bool msbFirst = entry.bitCarry->byteOrder == 1;
    const bool isSigned = utDconvertSign(prec.inputType) == 1;
    auto *values = reinterpret_cast<double *>(staging.get());
    int got = 0;
    uint64_t field = 0, ignored = 0;
    for (; got < n; ++got) {
      if (padding > 0 && msbFirst && !takeBits(entry, padding, ignored)) break;
      if (!takeBits(entry, bits, field)) break;
      if (padding > 0 && !msbFirst && !takeBits(entry, padding, ignored)) break;
      if (isSigned && bits < 64 && ((field >> (bits - 1)) & 1)) field |= ~uint64_t{0} << bits;
      values[got] = isSigned ? static_cast<double>(static_cast<int64_t>(field)) : static_cast<double>(field);
    }
    qxConvertBufferToType(chunks->end(), transfer.resultClass, values, QX_CLASS_DOUBLE, got);
    return got;
  }

  bool skipStep() {
    if (choice.path == TransferPath::Bits) return skipBitsOnRead(entry, skip, fileEnd);
    return skipBytesOnRead(entry, skip, fileEnd);
  }

  // Reads as many values (bytes) as the last chunk has room for; true when
  // it filled up.
  bool fillChunk() {
    const bool staged = choice.path != TransferPath::Raw && choice.path != TransferPath::Direct;
    const int limit = staged || skip > 0 ? kStagingValues : INT_MAX;
    bool complete = false;
    steppedTransfer(
        transfer.count, chunks->room(), prec.blockCount, skip > 0, false, limit, [this](int n) { return step(n); },
        [this] { return skipStep(); }, complete);
    if (!complete) entry.lastError = entry.status;
    return complete;
  }

  // For a regular file read without skips, the values left in it: the
  // first chunk is then made large enough to take them all at once.
  long long valuesLeft() const {
    if (skip > 0 || choice.path == TransferPath::Bits) return -1;
    const long length = regularFileLength(entry.stream);
    const long position = length < 0 ? -1 : std::ftell(entry.stream);
    return position < 0 ? -1 : (length - position) / choice.valueSize;
  }
};

// Stores the result (shaped as the size asks) and the count.
void readOutputs(FiRequest &request, common::OwnedArray result, const TransferDescriptor &t, const SizeArgument &size) {
  qxArray *a = result.get();
  if (size.rows == 1 && size.dims == 2 && !qxIsEmpty(a) && !t.byteMode) {
    qxSetM(a, 1);
    qxSetN(a, t.count);
  }
  if (request.nrhs == 1 && qxIsEmpty(a)) {
    qxSetM(a, 0);
    qxSetN(a, 0);
  }
  common::Outputs out = request.outputs();
  out.set(0, result.release());
  if (out.wants(1)) out.set(1, common::scalarResult(t.count));
}

// The checked arguments of one fread call, in the order the checks run.
struct ReadRequest {
  common::HostText precision;
  int format = -1;  // -1: the file's own
  SizeArgument size;
  int skip = 0;
};

ReadRequest readRequest(const FiRequest &request) {
  const ReadArguments args = sortReadArguments(request);
  ReadRequest r;
  if (args.precision != nullptr) r.precision = common::textArgument(args.precision, QX_MSG_INVALID_PRECISION);
  if (args.format != nullptr) r.format = formatArgument(args.format);
  if (args.skip != nullptr && qxIsChar(args.skip)) qxErrMsg(QX_MSG_INVALID_SKIP);
  r.size = common::sizeArgument(args.size);
  r.skip = args.skip != nullptr ? common::integerArgument(args.skip) : 0;
  return r;
}

// Sets the descriptor up for the result: its class, byte mode and size (in
// byte mode one row, the size counting bytes). Returns the units wanted,
// -1 for no limit.
long long describeResult(TransferDescriptor &t, const PrecisionSpec &prec, SizeArgument &size) {
  t = TransferDescriptor{};
  t.resultClass = precisionType(prec.outputType)->classId;
  t.byteMode = prec.inputType == kTypeNoConvert ? 1 : 0;
  const long long wanted = size.cols < 0 ? -1 : static_cast<long long>(size.rows) * size.cols;
  if (t.byteMode) {
    const long long element = static_cast<long long>(resultElementSize(t));
    size.rows = 1;
    if (wanted >= 0) size.cols = static_cast<int>((wanted + element - 1) / element);
  }
  t.rows = size.rows;
  t.cols = size.cols;
  t.sizeDims = size.dims;
  return wanted;
}

// No limit: chunks grow until a read comes up short. The first chunk takes
// what a regular file has left, so that most reads need one chunk.
common::OwnedArray readOpenEnded(Reader &reader, TransferDescriptor &t, bool readable) {
  const long long unit = t.byteMode ? static_cast<long long>(resultElementSize(t)) : 1;
  t.chunkSize = static_cast<int>(std::clamp<long long>(reader.valuesLeft() + 1, kFirstChunk * unit, INT_MAX));
  ChunkList chunks(t);
  reader.chunks = &chunks;
  while (readable && reader.fillChunk() && chunks.grow()) {
  }
  return chunks.finish();
}

// A fixed size: one chunk of that size, reshaped when the read stops early.
common::OwnedArray readFixed(Reader &reader, TransferDescriptor &t, long long wanted, bool readable) {
  t.chunkSize = t.capacity = static_cast<int>(t.byteMode ? wanted : static_cast<long long>(t.rows) * t.cols);
  ChunkList chunks(t);
  reader.chunks = &chunks;
  const bool complete = readable && reader.fillChunk();
  return complete ? chunks.takeFirst() : chunks.finish();
}

}  // namespace

int freadOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer) {
  qxCheckNumArgs(request.nlhs, 2, request.nrhs, 1, 5);
  const int fid = readableFid(request.prhs[0]);
  ReadRequest args = readRequest(request);
  FileEntry &entry = requireEntry(table, fid);
  const RefusedReadGuard refused(entry);

  PrecisionSpec prec;
  prec.format = args.format >= 0 ? args.format : entry.machineFormat;
  precisionArgument(args.precision.get(), prec);
  // A negative skip is refused only once the file and the precision are
  // known to be good.
  if (args.skip < 0) qxErrMsg(QX_MSG_INVALID_SKIP);
  const long long wanted = describeResult(transfer, prec, args.size);

  Reader reader{entry,     transfer, prec,    choosePath(prec, prec.inputType, transfer.resultClass),
                args.skip, LONG_MAX, nullptr, nullptr};
  if (prepareBitsForReading(entry, prec.bitCount, prec.format) != 0 || wanted == 0) {
    const int rows = wanted == 0 ? args.size.rows : 0, cols = wanted == 0 ? args.size.cols : 0;
    readOutputs(request,
                common::OwnedArray(common::created(qxCreateNumericMatrix(rows, cols, transfer.resultClass, 0))),
                transfer, args.size);
    return 0;
  }
  if (reader.choice.path != TransferPath::Raw && reader.choice.path != TransferPath::Direct) {
    reader.staging = stagingBuffer();
  }
  // Nothing is read when a skipping transfer cannot measure the file.
  const bool readable = args.skip == 0 || measureFile(entry, reader.fileEnd);
  common::OwnedArray result =
      wanted < 0 ? readOpenEnded(reader, transfer, readable) : readFixed(reader, transfer, wanted, readable);
  settleReadStatus(entry, transfer.count);
  readOutputs(request, std::move(result), transfer, args.size);
  return 0;
}

}  // namespace zq::fileio
