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

namespace zq::fileio {

// Settles the entry's bit state before a read (write): a byte-aligned
// transfer writes any pending output byte and drops the state; a bit-field
// transfer keeps a state of its own direction and byte order and resets any
// other (writing a pending output byte first). 0, or 1 when a pending byte
// could not be written.
int prepareBitsForReading(FileEntry &entry, int bitCount, int format);
int prepareBitsForWriting(FileEntry &entry, int bitCount, int format);

// Takes the next `count` (1..64) bits of the stream, refilling the carry a
// byte at a time: the first bit is the most significant of the result for
// byte-order code 1, the least significant otherwise. false, with the code
// recorded, when the file ran out.
bool takeBits(FileEntry &entry, int count, uint64_t &bits);

// Passes `count` bits on reading: the carried bits first, then whole bytes
// (seeking long runs, `end` being the file size), then part of the next
// byte. false (code recorded) when the file ran out.
bool skipBitsOnRead(FileEntry &entry, long long count, long end);

// Appends the low `count` bits of `bits` to the stream in the order of the
// byte order, and writes every byte so completed with one standard I/O
// call; a partial byte stays pending. false (code recorded) on a short write.
bool putBits(FileEntry &entry, uint64_t bits, int count);

// Passes `count` bits on writing, keeping the file's bits where nothing is
// written; `end` is the file size, kept up to date. false (code recorded).
bool skipBitsOnWrite(FileEntry &entry, long long count, long &end);

}  // namespace zq::fileio
