// Moving over the bytes between blocks of a transfer: skips on reading
// (seek or read past them) and on writing (seek over existing bytes, write
// zeros past the end), and measuring the file for them.
#pragma once

#include "fileio/file_table.h"

namespace zq::fileio {

// Skips longer than this are made by seeking.
constexpr long kSeekSkipThreshold = 8192;

// The size of the entry's file, the position left unchanged. On failure the
// code (the stream's indicator, or -37) is recorded and false returned.
bool measureFile(FileEntry &entry, long &end);

// Passes `bytes` bytes on reading. Long skips seek, and one that reaches or
// passes `end` stops at the end with the end-of-file indicator set; short
// ones read the bytes. false (code recorded) when the file ran out.
bool skipBytesOnRead(FileEntry &entry, long long bytes, long end);

// Passes `bytes` bytes on writing: seeks over the bytes the file has, and
// writes zeros for the rest; `end` follows the file's growth. false (code
// recorded: the indicator, -37 for a failed seek, -1 for a short write).
bool skipBytesOnWrite(FileEntry &entry, long long bytes, long &end);

}  // namespace zq::fileio
