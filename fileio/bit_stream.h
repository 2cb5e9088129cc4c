// The bit stream of bit-field transfers: the partial byte carried between
// calls (BitCarry) and the steps that settle it with the file.
#pragma once

#include <cstdint>

#include "fileio/file_table.h"

namespace zq::fileio {

// The byte at the current position that pending output bits are merged
// into: 0 for files opened to write or append (and past the end of the
// file), read in place for update files. Returns 0, or 1 with the code
// recorded in the entry (-5 when the file cannot be written at all).
int readByteForMerge(FileEntry &entry, uint8_t &existing);

// Writes the pending output byte of the entry's BitCarry at the current
// position, keeping the file's bits at the positions not yet written.
// The BitCarry is left as it is. 0 on success, 1 with the code recorded.
int flushPendingByte(FileEntry &entry);

}  // namespace zq::fileio
