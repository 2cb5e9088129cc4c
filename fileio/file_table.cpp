// The open-file table: lowest-free-fid allocation, removal, lookup, the
// standard streams, and the release of the pending bits of a file.
#include "fileio/file_table.h"

#include <sys/stat.h>

#include <cerrno>

#include "builtins/zqbuiltins.h"
#include "fileio/arguments.h"
#include "fileio/bit_stream.h"
#include "fileio/error_codes.h"
#include "host/ut.h"

namespace zq::fileio {

FileTable &fileTable() {
  static FileTable table;
  return table;
}

// Walks the fids 0, 1, 2, ... along the sorted list and takes the first one
// missing, so identifiers of closed files are reused, lowest first.
FileEntry &addEntry(FileTable &table) {
  int fid = 0;
  FileEntry *previous = nullptr;
  FileEntry *entry = table.head;
  for (int visited = 0; entry != nullptr && visited < table.count && entry->fid == fid; ++visited) {
    previous = entry;
    entry = entry->next;
    ++fid;
  }
  auto *fresh = static_cast<FileEntry *>(utCallocWithCheck(1, sizeof(FileEntry)));
  fresh->fid = fid;
  fresh->next = entry;
  if (previous == nullptr) {
    table.head = fresh;
  } else {
    previous->next = fresh;
  }
  if (entry == nullptr) table.tail = fresh;
  ++table.count;
  return *fresh;
}

FileEntry *removeEntry(FileTable &table, FileEntry *previous, FileEntry *entry) {
  FileEntry *following = entry->next;
  if (table.recent == entry) table.recent = nullptr;
  utFree(entry->name);
  utFree(entry->permission);
  const bool wasHead = entry == table.head;
  utFree(entry);
  if (wasHead) {
    table.head = following;
    if (following == nullptr) table.tail = nullptr;
  } else {
    previous->next = following;
    if (following == nullptr) table.tail = previous;
  }
  --table.count;
  return following;
}

FileEntry *findEntry(FileTable &table, int fid) {
  if (table.recent != nullptr && table.recent->fid == fid) return table.recent;
  FileEntry *entry = table.head;
  for (int visited = 0; entry != nullptr && visited < table.count; ++visited, entry = entry->next) {
    if (entry->fid == fid) return table.recent = entry;
  }
  return nullptr;
}

FileEntry &requireEntry(FileTable &table, int fid) {
  FileEntry *entry = findEntry(table, fid);
  if (entry == nullptr) qxErrMsg(QX_MSG_INVALID_FID);
  return *entry;
}

int releaseBitState(FileEntry &entry) {
  BitCarry *carry = entry.bitCarry;
  if (carry == nullptr) return 0;
  if (carry->direction == 1 && carry->bitCount != 0 && flushPendingByte(entry) != 0) return 1;
  utFree(carry);
  entry.bitCarry = nullptr;
  return 0;
}

int streamFailureCode(FILE *stream, int fallback) {
  if (errno != 0) return errno;
  if (stream != nullptr && std::ferror(stream) != 0) return std::ferror(stream);
  return fallback;
}

long regularFileLength(FILE *stream) {
  struct stat info {};
  if (fstat(fileno(stream), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<long>(info.st_size);
}

void recordCode(FileEntry &entry, int code) {
  entry.status = code;
  if (code != 0) entry.lastError = code;
}

RefusedReadGuard::RefusedReadGuard(const FileEntry &entry)
    : stream_(entry.stream),
      restore_(stream_ != nullptr && !permissionHasAny(entry, "r+") && std::ferror(stream_) == 0) {}

RefusedReadGuard::~RefusedReadGuard() {
  if (restore_) std::clearerr(stream_);
}

void recordWriteFailure(FileEntry &entry, int code) {
  recordCode(entry, code);
  if (!isReadOnlyPermission(entry)) entry.outputLost = true;
}

WriteFlush flushAfterWrite(FileEntry &entry) {
  const char first = entry.permission[0];
  if (first == 'W' || first == 'A') return WriteFlush::kSkipped;
  clearErrno();
  if (std::fflush(entry.stream) == 0) return WriteFlush::kDone;
  const int indicator = std::ferror(entry.stream);
  recordWriteFailure(entry, indicator != 0 ? indicator : kErrFlush);
  return WriteFlush::kFailed;
}

}  // namespace zq::fileio

extern "C" {

// Fills the empty table with fids 0, 1 and 2. Their names and permissions
// are static texts, never freed: the standard entries are never removed.
// A second call (from another library) leaves the table as it is. The
// table counts as set up only once all three are in: a call cut short by a
// failed allocation is completed by the next one.
void fiInitStdIO(void) {
  using namespace zq::fileio;
  struct StandardStream {
    const char *name;
    const char *permission;
    FILE *stream;
  };
  const StandardStream streams[] = {
      {"\"stdin\"", "r", stdin}, {"\"stdout\"", "a", stdout}, {"\"stderr\"", "a", stderr}};
  FileTable &table = fileTable();
  if (table.standardStreamsReady) return;
  for (int fid = table.count; fid < 3; ++fid) {
    const StandardStream &s = streams[fid];
    FileEntry &entry = addEntry(table);
    entry.name = const_cast<char *>(s.name);
    entry.permission = const_cast<char *>(s.permission);
    entry.stream = s.stream;
    entry.machineFormat = utGetDataSizeType();
  }
  table.standardStreamsReady = true;
}

// Writes every pending output byte (stdin, the head, never holds any). The
// bit state stays, and the position steps back onto the partial byte so
// that later bit writes complete it in place; on a stream that cannot seek
// the byte simply stays written.
void fiFlushWriteCarryByteFIO(void) {
  using namespace zq::fileio;
  FileTable &table = fileTable();
  if (table.count < 1) return;
  FileEntry *entry = table.head->next;
  for (int visited = 1; entry != nullptr && visited < table.count; ++visited, entry = entry->next) {
    const BitCarry *carry = entry->bitCarry;
    if (carry == nullptr || carry->direction != 1 || carry->bitCount == 0) continue;
    if (flushPendingByte(*entry) == 0) (void)std::fseek(entry->stream, -1, SEEK_CUR);
  }
}

}  // extern "C"
