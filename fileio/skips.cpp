// Skips between blocks of binary transfers.
#include "fileio/skips.h"

#include <algorithm>
#include <cstdio>

#include "fileio/arguments.h"
#include "fileio/error_codes.h"

namespace zq::fileio {
namespace {

// The bytes of a short skip are read into, and zeros written from, one
// buffer of this size.
constexpr size_t kSkipBuffer = 8192;
unsigned char discardBuffer[kSkipBuffer];
const unsigned char kZeros[kSkipBuffer] = {};

bool fail(FileEntry &entry, int fallback) {
  const int code = streamFailureCode(entry.stream, fallback);
  recordCode(entry, code);
  return false;
}

bool seekTo(FileEntry &entry, long offset, int origin) {
  clearErrno();
  return std::fseek(entry.stream, offset, origin) == 0;
}

}  // namespace

bool measureFile(FileEntry &entry, long &end) {
  clearErrno();
  const long position = std::ftell(entry.stream);
  if (position < 0 || !seekTo(entry, 0, SEEK_END)) return fail(entry, kErrInternal);
  end = std::ftell(entry.stream);
  if (end < 0 || !seekTo(entry, position, SEEK_SET)) return fail(entry, kErrInternal);
  return true;
}

bool skipBytesOnRead(FileEntry &entry, long long bytes, long end) {
  if (bytes <= 0) return true;
  FILE *stream = entry.stream;
  if (bytes > kSeekSkipThreshold) {
    const long position = std::ftell(stream);
    if (position + bytes >= end) {
      seekTo(entry, 0, SEEK_END);
      clearErrno();
      (void)std::fgetc(stream);
      return fail(entry, kErrUnknown);
    }
    if (!seekTo(entry, static_cast<long>(bytes), SEEK_CUR)) return fail(entry, kErrUnknown);
    return true;
  }
  while (bytes > 0) {
    const size_t part = static_cast<size_t>(std::min<long long>(bytes, kSkipBuffer));
    clearErrno();
    if (std::fread(discardBuffer, 1, part, stream) != part) return fail(entry, kErrUnknown);
    bytes -= static_cast<long long>(part);
  }
  return true;
}

bool skipBytesOnWrite(FileEntry &entry, long long bytes, long &end) {
  if (bytes <= 0) return true;
  FILE *stream = entry.stream;
  clearErrno();
  const long position = std::ftell(stream);
  if (position < 0) return fail(entry, kErrInternal);
  if (position < end) {
    const long long over = std::min<long long>(bytes, end - position);
    if (!seekTo(entry, static_cast<long>(position + over), SEEK_SET)) return fail(entry, kErrInternal);
    bytes -= over;
  }
  while (bytes > 0) {
    const size_t part = static_cast<size_t>(std::min<long long>(bytes, kSkipBuffer));
    clearErrno();
    if (std::fwrite(kZeros, 1, part, stream) != part) return fail(entry, kErrUnknown);
    bytes -= static_cast<long long>(part);
  }
  const long after = std::ftell(stream);
  if (after > end) end = after;
  return true;
}

}  // namespace zq::fileio
