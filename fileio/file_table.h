// The open-file table: every fid maps to a stream and the per-file state the
// operations need (name, permission, machine format, error codes, pending
// bits of bit-level transfers).
#pragma once

#include <cstdint>
#include <cstdio>

#include "host/qx.h"

namespace zq::fileio {

// The partial byte that a bit-level read or write has not yet finished.
struct BitCarry {
  uint8_t byte = 0;
  int bitCount = 0;   // valid bits in byte (0..8)
  int bitOffset = 0;  // position of the first valid bit (0 = least significant)
  int direction = 0;  // 1: pending output of a write; 0: unread rest of a byte
  int byteOrder = 0;  // 1: bits fill a byte from its most significant end
};

// One open file. The list is sorted by fid; entries 1-3 are fids 0, 1, 2.
struct FileEntry {
  char *name = nullptr;        // owned (static for the standard streams)
  char *permission = nullptr;  // owned (static for the standard streams)
  FILE *stream = nullptr;
  int fid = 0;
  int status = 0;     // code of the most recent operation (ferror)
  int lastError = 0;  // code of the most recent failed operation
  int machineFormat = 0;
  BitCarry *bitCarry = nullptr;  // owned; null when no bits are pending
  char *buffer = nullptr;        // owned: the stream's buffer, or null for its own
  bool outputLost = false;       // a write to a writable stream failed: its close fails
  FileEntry *next = nullptr;
};

struct FileTable {
  int count = 0;
  FileEntry *head = nullptr;
  FileEntry *tail = nullptr;
  // The entry found last: a run of calls on one file skips the list walk.
  FileEntry *recent = nullptr;
  // Set by fiInitStdIO: fids 0, 1 and 2 are in the table.
  bool standardStreamsReady = false;
};

// The one table of the process.
FileTable &fileTable();

// Links a zeroed entry in at the lowest free fid (the list stays sorted by
// fid) and returns it with its fid set; the caller fills in the rest.
FileEntry &addEntry(FileTable &table);
// Unlinks and frees entry (its name and permission too) and returns the
// entry that followed it. previous is the entry before it, or entry itself
// when it is the head. The caller has already released its bit state.
FileEntry *removeEntry(FileTable &table, FileEntry *previous, FileEntry *entry);

// The entry of fid, or null.
FileEntry *findEntry(FileTable &table, int fid);
// The entry of fid; raises "Invalid file identifier." when there is none.
FileEntry &requireEntry(FileTable &table, int fid);

// Writes a pending output byte and frees the bit state: 0 on success, 1 when
// the pending byte could not be written (the state is then kept).
int releaseBitState(FileEntry &entry);

// The code of a failed stream call: errno when it is set, else the stream's
// error indicator, else fallback. Callers clear errno before the call.
int streamFailureCode(FILE *stream, int fallback);

// The length of the file behind stream when it is a regular file (not a
// terminal, pipe or device), as the system reports it; -1 otherwise.
long regularFileLength(FILE *stream);

// Records code as the outcome of the last operation: status, and lastError
// too when code is not 0.
void recordCode(FileEntry &entry, int code);

// Records the code of a failed write. When the file was opened for writing
// some of its text is lost, and closing it reports that; a write refused
// because the file is open for reading only loses nothing.
void recordWriteFailure(FileEntry &entry, int code);

// Held over a read: a stream open for writing only refuses it and raises
// its error indicator. The refusal is the entry's code; the indicator is
// put back as it was, so that it still means a failed write (what the
// shell reports at exit for standard output).
class RefusedReadGuard {
 public:
  explicit RefusedReadGuard(const FileEntry &entry);
  ~RefusedReadGuard();
  RefusedReadGuard(const RefusedReadGuard &) = delete;
  RefusedReadGuard &operator=(const RefusedReadGuard &) = delete;

 private:
  FILE *stream_;
  bool restore_;
};

// After a complete write: flushes the stream unless the file was opened for
// buffered writing ("W", "A"). A failed flush records the stream's error
// indicator, or kErrFlush when it has none.
enum class WriteFlush { kSkipped, kDone, kFailed };
WriteFlush flushAfterWrite(FileEntry &entry);

}  // namespace zq::fileio
