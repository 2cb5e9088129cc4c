// Settling the partial byte of bit-level output with the file.
#include "fileio/bit_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "fileio/arguments.h"
#include "fileio/error_codes.h"
#include "fileio/skips.h"
#include "host/ut.h"

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
  if (std::fwrite(&out, 1, 1, entry.stream) != 1) {
    recordWriteFailure(entry, streamFailureCode(entry.stream, kErrCarryByteWrite));
    return 1;
  }
  recordCode(entry, 0);
  return 0;
}

}  // namespace zq::fileio

namespace zq::fileio {
namespace {

BitCarry &freshCarry(FileEntry &entry, int direction, int format) {
  if (entry.bitCarry == nullptr) entry.bitCarry = static_cast<BitCarry *>(utCallocWithCheck(1, sizeof(BitCarry)));
  *entry.bitCarry = BitCarry{0, 0, 0, direction, utGetDataEndianType(format)};
  return *entry.bitCarry;
}

bool pendingOutput(const BitCarry &carry) { return carry.direction == 1 && carry.bitCount != 0; }

// The shared settling of both directions; `direction` is 0 for reading.
int prepareBits(FileEntry &entry, int bitCount, int format, int direction) {
  if (bitCount == 0) return releaseBitState(entry);
  BitCarry *carry = entry.bitCarry;
  if (carry == nullptr) {
    freshCarry(entry, direction, format);
    return 0;
  }
  const bool sameKind = carry->direction == direction && carry->byteOrder == utGetDataEndianType(format);
  if (sameKind) return 0;
  // Unread input bits are dropped; pending output bits are written first.
  if (pendingOutput(*carry) && flushPendingByte(entry) != 0) return 1;
  freshCarry(entry, direction, format);
  return 0;
}

uint64_t lowMask(int bits) { return bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1; }

// Reads the next byte of the file into an empty carry.
bool refill(FileEntry &entry, BitCarry &carry) {
  clearErrno();
  const int c = std::fgetc(entry.stream);
  if (c == EOF) {
    recordCode(entry, streamFailureCode(entry.stream, kErrUnknown));
    return false;
  }
  carry.byte = static_cast<uint8_t>(c);
  carry.bitCount = 8;
  carry.bitOffset = 0;
  return true;
}

}  // namespace

int prepareBitsForReading(FileEntry &entry, int bitCount, int format) {
  return prepareBits(entry, bitCount, format, 0);
}

int prepareBitsForWriting(FileEntry &entry, int bitCount, int format) {
  return prepareBits(entry, bitCount, format, 1);
}

// For byte-order code 1 the carried bits are the low bitCount of the byte,
// taken from the top; otherwise the bits from bitOffset up, taken from the
// bottom.
bool takeBits(FileEntry &entry, int count, uint64_t &bits) {
  BitCarry &carry = *entry.bitCarry;
  const bool msbFirst = carry.byteOrder == 1;
  bits = 0;
  int taken = 0;
  while (taken < count) {
    if (carry.bitCount == 0 && !refill(entry, carry)) return false;
    const int n = std::min(count - taken, carry.bitCount);
    if (msbFirst) {
      const uint64_t part = (carry.byte >> (carry.bitOffset + carry.bitCount - n)) & lowMask(n);
      bits = (bits << n) | part;
    } else {
      const uint64_t part = (carry.byte >> carry.bitOffset) & lowMask(n);
      bits |= part << taken;
      carry.bitOffset += n;
    }
    carry.bitCount -= n;
    taken += n;
  }
  return true;
}

bool skipBitsOnRead(FileEntry &entry, long long count, long end) {
  BitCarry &carry = *entry.bitCarry;
  const int fromCarry = static_cast<int>(std::min<long long>(count, carry.bitCount));
  uint64_t ignored = 0;
  if (fromCarry > 0) takeBits(entry, fromCarry, ignored);
  count -= fromCarry;
  if (!skipBytesOnRead(entry, count / 8, end)) return false;
  const int rest = static_cast<int>(count % 8);
  return rest == 0 || takeBits(entry, rest, ignored);
}

// Output bits sit at the top of the carry for byte-order code 1 (bitOffset
// 8 - bitCount) and at the bottom otherwise (bitOffset 0).
bool putBits(FileEntry &entry, uint64_t bits, int count) {
  BitCarry &carry = *entry.bitCarry;
  const bool msbFirst = carry.byteOrder == 1;
  uint8_t completed[9];
  int full = 0;
  int left = count;
  while (left > 0) {
    const int room = 8 - carry.bitCount;
    const int n = std::min(left, room);
    uint64_t part;
    if (msbFirst) {
      part = (bits >> (left - n)) & lowMask(n);
      carry.byte = static_cast<uint8_t>(carry.byte | (part << (room - n)));
      carry.bitCount += n;
      carry.bitOffset = 8 - carry.bitCount;
    } else {
      part = (bits >> (count - left)) & lowMask(n);
      carry.byte = static_cast<uint8_t>(carry.byte | (part << carry.bitCount));
      carry.bitCount += n;
      carry.bitOffset = 0;
    }
    left -= n;
    if (carry.bitCount == 8) {
      completed[full++] = carry.byte;
      carry.byte = 0;
      carry.bitCount = 0;
      carry.bitOffset = 0;
    }
  }
  if (full == 0) return true;
  clearErrno();
  if (std::fwrite(completed, 1, static_cast<size_t>(full), entry.stream) != static_cast<size_t>(full)) {
    recordWriteFailure(entry, streamFailureCode(entry.stream, kErrUnknown));
    return false;
  }
  return true;
}

bool skipBitsOnWrite(FileEntry &entry, long long count, long &end) {
  BitCarry &carry = *entry.bitCarry;
  const bool msbFirst = carry.byteOrder == 1;
  if (carry.bitCount + count < 8) {
    // The skipped bits keep the values the byte has in the file.
    uint8_t existing = 0;
    if (readByteForMerge(entry, existing) != 0) return false;
    const int k = static_cast<int>(count);
    const int shift = msbFirst ? 8 - carry.bitCount - k : carry.bitCount;
    carry.byte = static_cast<uint8_t>(carry.byte | (existing & (lowMask(k) << shift)));
    carry.bitCount += k;
    carry.bitOffset = msbFirst ? 8 - carry.bitCount : 0;
    return true;
  }
  long long rest = count;
  if (carry.bitCount > 0) {
    if (flushPendingByte(entry) != 0) return false;
    rest -= 8 - carry.bitCount;
  }
  carry = BitCarry{0, 0, 0, 1, carry.byteOrder};
  if (rest == 0) return true;
  if (!skipBytesOnWrite(entry, rest / 8, end)) {
    if (entry.status == kErrUnknown || entry.status == kErrInternal) recordCode(entry, kErrSkipOnWrite);
    return false;
  }
  const int bits = static_cast<int>(rest % 8);
  if (bits == 0) return true;
  uint8_t existing = 0;
  if (readByteForMerge(entry, existing) != 0) return false;
  const uint8_t keep = static_cast<uint8_t>(msbFirst ? lowMask(bits) << (8 - bits) : lowMask(bits));
  carry.byte = existing & keep;
  carry.bitCount = bits;
  carry.bitOffset = msbFirst ? 8 - bits : 0;
  return true;
}

}  // namespace zq::fileio
