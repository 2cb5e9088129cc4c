// Settling the partial byte of bit-level output with the file.
#include "fileio/bit_stream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "fileio/arguments.h"
#include "fileio/error_codes.h"

namespace zq::fileio {
namespace {

// Records code and reports the failure to the caller.
int fail(FileEntry &entry, int code) {
  recordCode(entry, code);
  return 1;
}

}  // namespace

// An update stream must seek between writing and reading and between
// reading and writing, hence the seeks around the one-byte read. A read at
// the end of the file finds no byte: the merge then starts from 0.
int readByteForMerge(FileEntry &entry, uint8_t &existing) {
  existing = 0;
  if (permissionHasAny(entry, "wWaA")) return 0;
  if (!permissionHasAny(entry, "+")) return fail(entry, kErrNotOpenForWriting);
  FILE *stream = entry.stream;
  errno = 0;
  if (std::fseek(stream, 0, SEEK_CUR) != 0) return fail(entry, streamFailureCode(stream, kErrSeekZeroFailed));
  errno = 0;
  const int c = std::fgetc(stream);
  if (c == EOF) {
    if (std::ferror(stream) || !std::feof(stream)) return fail(entry, streamFailureCode(stream, kErrReadOnUpdate));
    std::clearerr(stream);
    return 0;
  }
  existing = static_cast<uint8_t>(c);
  errno = 0;
  if (std::fseek(stream, -1, SEEK_CUR) != 0) return fail(entry, streamFailureCode(stream, kErrSeekBackFailed));
  return 0;
}

int flushPendingByte(FileEntry &entry) {
  const BitCarry &carry = *entry.bitCarry;
  if (carry.bitCount == 0) return 0;
  uint8_t out = carry.byte;
  if (carry.bitCount != 8) {
    uint8_t existing = 0;
    if (readByteForMerge(entry, existing) != 0) return 1;
    // The file keeps its bits outside the valid range of the carry (the top
    // of the byte for byte-order code 1, the bottom otherwise).
    const unsigned valid = ((1u << carry.bitCount) - 1u) << carry.bitOffset;
    out = static_cast<uint8_t>((existing & ~valid) | (carry.byte & valid));
  }
  errno = 0;
  if (std::fwrite(&out, 1, 1, entry.stream) != 1) return fail(entry, streamFailureCode(entry.stream, kErrCarryByteWrite));
  recordCode(entry, 0);
  return 0;
}

}  // namespace zq::fileio
