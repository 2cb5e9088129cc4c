// fseek, ftell, feof, ferror and the unnamed flush: moving inside the file
// and reporting the codes that every operation leaves in the entry.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/arguments.h"
#include "common/outputs.h"
#include "fileio/arguments.h"
#include "fileio/bit_stream.h"
#include "fileio/error_codes.h"
#include "fileio/operations.h"
#include "host/ut.h"

namespace zq::fileio {
namespace {

enum Origin { kBof = -1, kCof = 0, kEof = 1 };

struct OriginName {
  const char *name;
  Origin origin;
};
constexpr OriginName kOrigins[] = {{"bof", kBof}, {"cof", kCof}, {"eof", kEof}};

// "bof", "cof", "eof" (exactly) or the numbers -1, 0, 1; "Invalid origin."
// for anything else.
Origin originArgument(const qxArray *a) {
  if (qxIsChar(a)) {
    const common::HostText t = common::textArgument(a, QX_MSG_INVALID_ORIGIN);
    return common::checkOption<OriginName>(t.get(), kOrigins, QX_MSG_INVALID_ORIGIN).origin;
  }
  if (!qxIsEmpty(a)) {
    const double v = qxGetScalar(a);
    if (v == -1 || v == 0 || v == 1) return static_cast<Origin>(static_cast<int>(v));
  }
  qxErrMsg(QX_MSG_INVALID_ORIGIN);
}

// The code of an offset that cannot be a position at all, else 0.
int offsetCode(double offset) {
  if (std::isnan(offset)) return kErrOffsetNaN;
  if (offset < -2147483647.0) return kErrOffsetBeforeStart;
  if (offset > 2147483647.0) return kErrOffsetAfterEnd;
  if (offset != std::trunc(offset)) return kErrOffsetNotInteger;
  return 0;
}

// Writes pending output bits and steps back onto the partial byte, so that
// later bit writes complete it. false when that failed (codes recorded).
bool settlePendingBits(FileEntry &entry) {
  const BitCarry *carry = entry.bitCarry;
  if (carry == nullptr || carry->bitCount == 0 || carry->direction == 0) return true;
  if (flushPendingByte(entry) != 0) return false;
  clearErrno();
  if (std::fseek(entry.stream, -1, SEEK_CUR) != 0) {
    recordCode(entry, streamFailureCode(entry.stream, kErrSeekBackFailed));
    return false;
  }
  recordCode(entry, 0);
  return true;
}

// One standard I/O seek; its failure code is the indicator or `fallback`.
int seekCode(FILE *stream, long offset, int origin, int fallback) {
  clearErrno();
  return std::fseek(stream, offset, origin) == 0 ? 0 : streamFailureCode(stream, fallback);
}

// The end of the file in *end. A regular file open only for reading has
// nothing waiting in the stream's buffer, so its length as the system
// reports it is where a seek to the end would land, and the stream (and its
// buffer) stays where it is; anything else is measured by seeking to the
// end (*moved: the stream then stands there). 0 or the code of the failed
// seek.
int findEnd(FILE *stream, bool readOnly, long *end, bool *moved) {
  *end = readOnly ? regularFileLength(stream) : -1;
  *moved = *end < 0;
  if (!*moved) return 0;
  const int code = seekCode(stream, 0, SEEK_END, kErrInternal);
  if (code == 0) *end = std::ftell(stream);
  return code;
}

// Moves k from `base` (SEEK_SET) or from the end (SEEK_END) when the
// position that names lies within the file. A refusal leaves the position
// at p0 and gives `refusal`.
int seekWithin(FILE *stream, bool readOnly, long p0, long long base, long k, int origin, int refusal) {
  long end = 0;
  bool moved = false;
  int code = findEnd(stream, readOnly, &end, &moved);
  if (code != 0) return code;
  const long long target = (origin == SEEK_END ? end : base) + k;
  if (target >= 0 && target <= end) {
    return seekCode(stream, origin == SEEK_END ? k : static_cast<long>(target), origin, kErrUnknown);
  }
  if (!moved) return refusal;
  code = seekCode(stream, p0, SEEK_SET, kErrInternal);
  return code != 0 ? code : refusal;
}

// The seek of a valid integer offset k from an origin: 0 or the code.
// readOnly says the file is open only for reading.
int seekFrom(FILE *stream, bool readOnly, long k, Origin origin) {
  const long p0 = std::ftell(stream);
  const bool atEnd = std::feof(stream) != 0;
  switch (origin) {
    case kBof:
      if (k < 0) return kErrOffsetBeforeStart;
      if (atEnd) return p0 < k ? kErrOffsetAfterEnd : seekCode(stream, k, SEEK_SET, kErrUnknown);
      return seekWithin(stream, readOnly, p0, 0, k, SEEK_SET, kErrOffsetAfterEnd);
    case kCof:
      if (k < 0) return p0 >= -k ? seekCode(stream, k, SEEK_CUR, kErrUnknown) : kErrOffsetBeforeStart;
      if (atEnd) return k > 0 ? kErrOffsetAfterEnd : seekCode(stream, 0, SEEK_CUR, kErrUnknown);
      return seekWithin(stream, readOnly, p0, p0, k, SEEK_SET, kErrOffsetAfterEnd);
    case kEof:
      if (k > 0) return kErrOffsetAfterEnd;
      if (k == 0) return seekCode(stream, 0, SEEK_END, kErrUnknown);
      if (atEnd) return p0 >= -k ? seekCode(stream, k, SEEK_END, kErrUnknown) : kErrOffsetBeforeStart;
      return seekWithin(stream, readOnly, p0, 0, k, SEEK_END, kErrOffsetBeforeStart);
    default: return kErrUnknown;
  }
}

FileEntry &entryOf(FileTable &table, const qxArray *fidArgument) {
  return requireEntry(table, nonNegativeFid(fidArgument));
}

}  // namespace

int fseekOperation(FiRequest &request, FileTable &table, TransferDescriptor &) {
  qxCheckNumArgs(request.nlhs, 1, request.nrhs, 3, 3);
  FileEntry &entry = entryOf(table, request.prhs[0]);
  if (qxIsEmpty(request.prhs[1])) qxErrMsg(QX_MSG_EMPTY_OFFSET);
  const double offset = qxGetScalar(request.prhs[1]);
  const Origin origin = originArgument(request.prhs[2]);
  int code = offsetCode(offset);
  if (code == 0 && !settlePendingBits(entry)) code = entry.status;
  const long before = std::ftell(entry.stream);
  if (code == 0) code = seekFrom(entry.stream, isReadPermission(entry.permission), static_cast<long>(offset), origin);
  if (code == 0 && std::ftell(entry.stream) != before && entry.bitCarry != nullptr) {
    utFree(entry.bitCarry);  // pending output bits were written above
    entry.bitCarry = nullptr;
  }
  recordCode(entry, code);
  request.outputs().set(0, common::scalarResult(code == 0 ? 0 : -1));
  return code == 0 ? 0 : -1;
}

int ftellOperation(FiRequest &request, FileTable &table, TransferDescriptor &) {
  qxCheckNumArgs(request.nlhs, 1, request.nrhs, 1, 1);
  FileEntry &entry = entryOf(table, request.prhs[0]);
  clearErrno();
  const long position = std::ftell(entry.stream);
  recordCode(entry, position != -1 ? errno : (errno != 0 ? errno : kErrUnknown));
  request.outputs().set(0, common::scalarResult(static_cast<double>(position)));
  return 0;
}

// Unread bits in the carry still count as data at the end of the file.
int feofOperation(FiRequest &request, FileTable &table, TransferDescriptor &) {
  qxCheckNumArgs(request.nlhs, 1, request.nrhs, 1, 1);
  FileEntry &entry = entryOf(table, request.prhs[0]);
  FILE *stream = entry.stream;
  if (entry.bitCarry != nullptr && entry.bitCarry->bitCount != 0 && std::feof(stream)) std::clearerr(stream);
  const bool atEnd = std::feof(stream) != 0;
  const int code = std::ferror(stream) != 0 ? std::ferror(stream) : atEnd ? kErrUnknown : 0;
  entry.status = code;
  if (atEnd) entry.lastError = code;
  request.outputs().set(0, common::scalarResult(atEnd ? 1 : 0));
  return atEnd ? 1 : 0;
}

int ferrorOperation(FiRequest &request, FileTable &table, TransferDescriptor &) {
  qxCheckNumArgs(request.nlhs, 2, request.nrhs, 1, 2);
  FileEntry &entry = entryOf(table, request.prhs[0]);
  const bool clear = request.nrhs == 2;
  if (clear) {
    const common::HostText option = common::textArgument(request.prhs[1], QX_MSG_OPTION_NOT_STRING);
    if (std::strcmp(option.get(), "clear") != 0) qxErrMsg(QX_MSG_ONLY_CLEAR);
  }
  const int code = clear ? entry.lastError : entry.status;
  common::Outputs out = request.outputs();
  out.set(0, common::stringResult(messageForCode(code)));
  if (out.wants(1)) out.set(1, common::scalarResult(code));
  if (clear) {
    std::clearerr(entry.stream);
    entry.status = 0;
    entry.lastError = 0;
    entry.outputLost = false;
  }
  return code;
}

int fflushOperation(FiRequest &request, FileTable &table, TransferDescriptor &) {
  qxCheckNumArgs(request.nlhs, 1, request.nrhs, 1, 1);
  FileEntry &entry = entryOf(table, request.prhs[0]);
  std::fflush(entry.stream);
  return 0;
}

}  // namespace zq::fileio
