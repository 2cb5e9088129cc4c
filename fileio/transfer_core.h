// What fread and fwrite share: the choice of transfer path, the staging
// conversions around the host's format converter, the block-and-skip
// stepping, and the settling of a read's error code.
#pragma once

#include <algorithm>

#include "common/interrupt_points.h"
#include "common/owned.h"
#include "fileio/file_table.h"
#include "fileio/precision.h"

namespace zq::fileio {

// Values staged per batch between the file and an array.
constexpr int kStagingValues = 1024;

// How values travel between the file and the array.
enum class TransferPath {
  Raw,            // "noconvert": bytes as they are
  Direct,         // native format, the array's class: no conversion
  NativeConvert,  // native format, another class: qxConvertBufferToType
  Foreign,        // another machine format: through utDconvert
  Bits,           // bit fields
};

// The path, and the bytes of one value in the file, of a parsed precision
// whose file-side type is `fileType`, for an array of class `arrayClass`.
// `fileClass` is the class in which native values are staged.
struct PathChoice {
  TransferPath path;
  int valueSize;
  int fileClass;
};
PathChoice choosePath(const PrecisionSpec &prec, int fileType, int arrayClass);

// A staging buffer of kStagingValues 8-byte slots from the host allocator.
using Staging = common::QxBlock<unsigned char>;
Staging stagingBuffer();

// Converts n file values of `size` bytes, packed at the start of slots, to
// doubles in the slots.
void fileValuesToDoubles(unsigned char *slots, int n, int size, int type, int format);
// Converts n doubles in slots to file values of `size` bytes, packed at the
// start of slots.
void doublesToFileValues(unsigned char *slots, int n, int size, int type, int format);

// A transfer in steps. Each step moves at most `limit` units and ends at
// the next block boundary (blocks of blockCount units counted from `done`,
// the units of the whole transfer so far); with skipping on, the skip
// follows every step that ends a block (reading) or precedes every block
// (writing). step(n) returns the units it moved; fewer than n, or a failed
// skip, stops the loop. Returns the units moved; `complete` says whether all
// `want` units moved.
template <typename Step, typename Skip>
int steppedTransfer(long long done, long long want, int blockCount, bool skipping, bool skipBefore, int limit,
                    Step step, Skip skip, bool &complete) {
  long long moved = 0;
  complete = false;
  // Ctrl-C is let through between whole steps (a block and its skip).
  common::InterruptPoints interrupts;
  int got = 0;
  while (moved < want) {
    interrupts.pass(got);
    const long long position = done + moved;
    long long n = std::min<long long>(want - moved, limit);
    if (skipping) {
      const long long inBlock = position % blockCount;
      if (skipBefore && inBlock == 0 && !skip()) return static_cast<int>(moved);
      n = std::min<long long>(n, blockCount - inBlock);
    }
    got = step(static_cast<int>(n));
    moved += got;
    if (got < n) return static_cast<int>(moved);
    if (skipping && !skipBefore && (done + moved) % blockCount == 0 && !skip()) return static_cast<int>(moved);
  }
  complete = true;
  return static_cast<int>(moved);
}

// After a read: a short read without a system reason (-1) becomes -4 at the
// end of the file; a failed read that got nothing from a file not open for
// reading becomes -3.
void settleReadStatus(FileEntry &entry, long long valuesRead);

}  // namespace zq::fileio
