// Paths, staging conversions and error settling shared by fread and fwrite.
#include "fileio/transfer_core.h"

#include <cstdio>
#include <cstring>

#include "fileio/error_codes.h"
#include "host/ut.h"

namespace zq::fileio {

PathChoice choosePath(const PrecisionSpec &spec, int fileType, int arrayClass) {
  if (fileType == kTypeNoConvert) return {TransferPath::Raw, 1, arrayClass};
  if (spec.bitCount > 0) return {TransferPath::Bits, 0, QX_CLASS_DOUBLE};
  if (spec.fileSize != 0) return {TransferPath::Foreign, spec.fileSize, QX_CLASS_DOUBLE};
  const PrecisionType *type = precisionType(fileType);
  // Native "char" values are single bytes: they travel as uint8.
  const int fileClass = fileType == UT_TYPE_CHAR ? QX_CLASS_UINT8 : type->classId;
  return {fileClass == arrayClass ? TransferPath::Direct : TransferPath::NativeConvert, type->nativeBytes, fileClass};
}

Staging stagingBuffer() {
  Staging buffer(static_cast<unsigned char *>(qxMalloc(8 * kStagingValues)));
  if (!buffer) qxErrMsg(18);
  return buffer;
}

void fileValuesToDoubles(unsigned char *slots, int n, int size, int type, int format) {
  if (size < 8) {
    // Spread from the last value down so that no value is overwritten.
    for (int i = n - 1; i >= 0; --i) {
      std::memmove(slots + 8 * i, slots + size * i, static_cast<size_t>(size));
      std::memset(slots + 8 * i + size, 0, static_cast<size_t>(8 - size));
    }
  }
  utDconvert(slots, n, type, format, 0, size);
}

void doublesToFileValues(unsigned char *slots, int n, int size, int type, int format) {
  utDconvert(slots, n, -type, format, 0, size);
  if (size < 8) {
    for (int i = 0; i < n; ++i) std::memmove(slots + size * i, slots + 8 * i, static_cast<size_t>(size));
  }
}

void settleReadStatus(FileEntry &entry, long long valuesRead) {
  if (entry.status == 0) return;
  // Reading a write-only stream fails with a system reason on this
  // platform; the user is told what is wrong all the same.
  const bool readable = permissionHasAny(entry, "r+");
  if (valuesRead == 0 && !readable) return recordCode(entry, kErrNotOpenForReading);
  if (entry.status != kErrUnknown) return;
  const bool atEnd = std::feof(entry.stream) != 0;
  recordCode(entry, atEnd ? kErrAtEndOfFile : kErrUnknown);
}

}  // namespace zq::fileio
