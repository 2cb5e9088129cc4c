// Paths, staging conversions and error settling shared by fread and fwrite.
#include "fileio/transfer_core.h"

#include <cstdio>
#include <cstring>

#include "fileio/arguments.h"
#include "fileio/error_codes.h"
#include "host/ut.h"

namespace zq::fileio {

PathChoice choosePath(const PrecisionSpec &prec, int fileType, int arrayClass) {
  if (fileType == kTypeNoConvert) return {TransferPath::Raw, 1, arrayClass};
  if (prec.bitCount > 0) return {TransferPath::Bits, 0, QX_CLASS_DOUBLE};
  if (prec.fileSize != 0) return {TransferPath::Foreign, prec.fileSize, QX_CLASS_DOUBLE};
  const PrecisionType *type = precisionType(fileType);
  // Native "char" values are single bytes: they travel as uint8.
  const int fileClass = fileType == UT_TYPE_CHAR ? QX_CLASS_UINT8 : type->classId;
  return {fileClass == arrayClass ? TransferPath::Direct : TransferPath::NativeConvert, type->nativeBytes, fileClass};
}

Staging stagingBuffer() {
  Staging buffer(static_cast<unsigned char *>(qxMalloc(8 * kStagingValues)));
  if (!buffer) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  return buffer;
}

namespace {

// Moves value i of `Size` bytes between offset i x Size and slot i (8 i).
template <int Size>
void spread(unsigned char *slots, int n) {
  for (int i = n - 1; i >= 0; --i) {
    unsigned char value[Size];
    std::memcpy(value, slots + Size * i, Size);
    std::memset(slots + 8 * i, 0, 8);
    std::memcpy(slots + 8 * i, value, Size);
  }
}

template <int Size>
void pack(unsigned char *slots, int n) {
  for (int i = 1; i < n; ++i) {
    unsigned char value[Size];
    std::memcpy(value, slots + 8 * i, Size);
    std::memcpy(slots + Size * i, value, Size);
  }
}

}  // namespace

// Spreading works from the last value down so that no value is overwritten.
void fileValuesToDoubles(unsigned char *slots, int n, int size, int type, int format) {
  switch (size) {
    case 1: spread<1>(slots, n); break;
    case 2: spread<2>(slots, n); break;
    case 4: spread<4>(slots, n); break;
    default: break;
  }
  utDconvert(slots, n, type, format, 0, size);
}

void doublesToFileValues(unsigned char *slots, int n, int size, int type, int format) {
  utDconvert(slots, n, -type, format, 0, size);
  switch (size) {
    case 1: pack<1>(slots, n); break;
    case 2: pack<2>(slots, n); break;
    case 4: pack<4>(slots, n); break;
    default: break;
  }
}

void settleReadStatus(FileEntry &entry, long long valuesRead) {
  if (entry.status == 0) return;
  // Reading a write-only stream fails with a system reason on this
  // platform; the user is told what is wrong all the same. A permission
  // without "r" ("w+" and "a+" included) reads nothing as that failure.
  const bool readable = permissionHasAny(entry, "r");
  if (valuesRead == 0 && !readable) return recordCode(entry, kErrNotOpenForReading);
  if (entry.status != kErrUnknown) return;
  const bool atEnd = std::feof(entry.stream) != 0;
  recordCode(entry, atEnd ? kErrAtEndOfFile : kErrUnknown);
}

}  // namespace zq::fileio
