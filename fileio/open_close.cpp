// fopen and fclose: opening through the search path, re-opening a known
// file, the query and list forms, and closing one or all user files.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "common/arguments.h"
#include "common/outputs.h"
#include "common/owned.h"
#include "common/paths.h"
#include "fileio/arguments.h"
#include "fileio/error_codes.h"
#include "fileio/operations.h"
#include "host/ut.h"
#include "host/zqmpath.h"
#include "host/zqservices.h"

namespace zq::fileio {
namespace {

constexpr int kFirstUserFid = 3;

// A string for the table (freed with utFree when the entry goes).
using TableText = common::UtBlock<char>;

TableText tableCopy(const char *s) {
  const size_t n = std::strlen(s) + 1;
  TableText copy(static_cast<char *>(utCallocWithCheck(n, 1)));
  std::memcpy(copy.get(), s, n);
  return copy;
}

// The permission to store: "r" by default, else the given one with its
// first 't' removed.
TableText reducedPermission(const char *given) {
  TableText reduced = tableCopy(given);
  if (char *t = std::strchr(reduced.get(), 't')) std::memmove(t, t + 1, std::strlen(t));
  return reduced;
}

// The user files (fids 3 and up) follow the three standard streams.
FileEntry *firstUserEntry(FileTable &table) {
  FileEntry *e = table.head;
  for (int i = 0; i < kFirstUserFid && e != nullptr; ++i) e = e->next;
  return e;
}

FileEntry *userEntryNamed(FileTable &table, const char *name) {
  for (FileEntry *e = firstUserEntry(table); e != nullptr; e = e->next) {
    if (std::strcmp(e->name, name) == 0) return e;
  }
  return nullptr;
}

void unlinkEntry(FileTable &table, FileEntry *entry) {
  FileEntry *previous = entry;
  if (entry != table.head) {
    previous = table.head;
    while (previous->next != entry) previous = previous->next;
  }
  removeEntry(table, previous, entry);
}

// Drops a BitCarry without writing it (its file is being replaced).
void discardBitState(FileEntry &entry) {
  if (releaseBitState(entry) != 0) {
    utFree(entry.bitCarry);
    entry.bitCarry = nullptr;
  }
}

// The outcome of opening a stream: the stream (null on failure), the code,
// and for the search-path open the full path found.
struct Opened {
  FILE *stream = nullptr;
  int code = 0;
  char fullPath[IO_PATH_BUFFER_SIZE] = {};
};

// Read permissions go through the search path; the others open the name
// as it is, with the permission lower-cased ("W" opens like "w").
void openStream(const char *name, const char *permission, Opened &out) {
  if (isReadPermission(permission)) {
    out.stream = ioFopenPathName(name, permission, out.fullPath, &out.code);
  } else {
    std::string mode(permission);
    for (char &c : mode) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    clearErrno();
    out.stream = std::fopen(name, mode.c_str());
    out.code = errno;
  }
  if (out.stream != nullptr) {
    out.code = 0;
  } else if (out.code == 0 || out.code == kErrUnknown) {
    out.code = kErrCannotOpen;
  }
}

// Regular files get an 8 KiB stream buffer rather than the page-sized one
// the C library picks: reading line by line then makes half the system
// calls, while a seek outside the buffer (which refills it whole) stays
// cheap. Terminals, pipes and devices keep the buffering the C library
// chose for them.
constexpr size_t kStreamBuffer = 8 * 1024;

void giveBuffer(FileEntry &entry) {
  if (regularFileLength(entry.stream) < 0) return;
  entry.buffer = static_cast<char *>(std::malloc(kStreamBuffer));
  if (entry.buffer != nullptr) std::setvbuf(entry.stream, entry.buffer, _IOFBF, kStreamBuffer);
}

// Closes the entry's stream and frees its buffer; true when the close
// succeeded. A stream that lost text on the way to its file (a failed write
// not since cleared) fails its close too; a failed read, or a write the
// permission refused, does not.
bool closeStream(FileEntry &entry) {
  const bool clean = !entry.outputLost || std::ferror(entry.stream) == 0;
  const bool closed = std::fclose(entry.stream) == 0 && clean;
  entry.outputLost = false;
  entry.stream = nullptr;
  std::free(entry.buffer);
  entry.buffer = nullptr;
  return closed;
}

void fillEntry(FileEntry &entry, TableText name, TableText permission, const Opened &opened, int format) {
  utFree(entry.name);
  utFree(entry.permission);
  entry.name = name.release();
  entry.permission = permission.release();
  entry.stream = opened.stream;
  giveBuffer(entry);
  entry.status = opened.code;
  entry.lastError = opened.code;
  entry.machineFormat = format;
}

// For a read permission, the entry that holds the full path found (its old
// stream closed) or, failing that, `fallback` or a new entry.
FileEntry &entryForPath(FileTable &table, const char *fullPath, FileEntry *fallback) {
  FileEntry *holder = userEntryNamed(table, fullPath);
  if (holder == nullptr) return fallback != nullptr ? *fallback : addEntry(table);
  if (holder != fallback) {
    discardBitState(*holder);
    closeStream(*holder);
    if (fallback != nullptr) unlinkEntry(table, fallback);
  }
  return *holder;
}

// Closes a stream just opened unless it is released into its entry: an
// error raised before the entry is complete must not leak it.
class StreamGuard {
 public:
  explicit StreamGuard(FILE *stream) : stream_(stream) {}
  ~StreamGuard() {
    if (stream_ != nullptr) std::fclose(stream_);
  }
  StreamGuard(const StreamGuard &) = delete;
  StreamGuard &operator=(const StreamGuard &) = delete;
  void release() { stream_ = nullptr; }

 private:
  FILE *stream_;
};

// Puts the stream just opened into the table: into `reused` (an entry
// being re-opened), or for a read permission into the entry that already
// holds the full path found, else into a new entry. What can fail (the
// name's copy, a new entry) comes before the table changes, so an error
// leaves the table as it was and closes the stream.
FileEntry &linkOpened(FileTable &table, const Opened &opened, const char *name, TableText permission, int format,
                      FileEntry *reused) {
  StreamGuard guard(opened.stream);
  const bool read = isReadPermission(permission.get());
  TableText fileName = tableCopy(read ? opened.fullPath : name);
  FileEntry &entry = read                ? entryForPath(table, opened.fullPath, reused)
                     : reused != nullptr ? *reused
                                         : addEntry(table);
  fillEntry(entry, std::move(fileName), std::move(permission), opened, format);
  guard.release();
  return entry;
}

void openOutputs(FiRequest &request, double fid, int code) {
  common::Outputs out = request.outputs();
  out.set(0, common::scalarResult(fid));
  if (out.wants(1)) out.set(1, common::stringResult(messageForCode(code)));
}

// A file not yet in the table.
void openNew(FiRequest &request, FileTable &table, const char *name, TableText permission, int format) {
  char expansion[IO_PATH_BUFFER_SIZE];
  const char *expanded = ioTildeExpansion(expansion, name);
  auto opened = std::make_unique<Opened>();
  openStream(expanded, permission.get(), *opened);
  if (opened->stream == nullptr) return openOutputs(request, -1, opened->code);
  const FileEntry &entry = linkOpened(table, *opened, expanded, std::move(permission), format, nullptr);
  openOutputs(request, entry.fid, opened->code);
}

// A name that a user file already has: its bit state is settled and its
// stream closed, then the file is opened again. On any failure (pending
// bits that cannot be written, or an error raised once the old stream is
// closed, included) the entry leaves the table.
void reopen(FiRequest &request, FileTable &table, FileEntry &entry, const char *name, TableText permission,
            int format) {
  auto opened = std::make_unique<Opened>();
  opened->code = kErrCannotOpen;
  const bool settled = releaseBitState(entry) == 0;
  if (!settled) {
    opened->code = entry.status;  // why the pending bits could not be written
    discardBitState(entry);
  }
  const bool closed = closeStream(entry);
  const FileEntry *target = nullptr;
  try {
    if (settled && closed) {
      char expansion[IO_PATH_BUFFER_SIZE];
      openStream(ioTildeExpansion(expansion, name), permission.get(), *opened);
    }
    if (opened->stream != nullptr) target = &linkOpened(table, *opened, name, std::move(permission), format, &entry);
  } catch (...) {
    unlinkEntry(table, &entry);
    throw;
  }
  if (target == nullptr) {
    unlinkEntry(table, &entry);
    return openOutputs(request, -1, opened->code);
  }
  openOutputs(request, target->fid, opened->code);
}

// fopen('all'): the fids of the user files in ascending order.
void listUserFids(FiRequest &request, FileTable &table) {
  int n = 0;
  for (FileEntry *e = firstUserEntry(table); e != nullptr; e = e->next) ++n;
  qxArray *fids = common::created(qxCreateDoubleMatrix(n == 0 ? 0 : 1, n, 0));
  double *out = qxGetPr(fids);
  for (FileEntry *e = firstUserEntry(table); e != nullptr; e = e->next) *out++ = e->fid;
  request.outputs().set(0, fids);
}

// ">" or "<" for the byte order, a blank, then bits 7..0 of the carried
// byte: the valid ones as 1/0, the others as "-".
std::string bitPicture(const BitCarry *carry) {
  if (carry == nullptr || carry->bitCount == 0) return "";
  std::string picture = carry->byteOrder != 0 ? "> " : "< ";
  for (int bit = 7; bit >= 0; --bit) {
    const bool valid = bit >= carry->bitOffset && bit < carry->bitOffset + carry->bitCount;
    picture += !valid ? '-' : ((carry->byte >> bit) & 1) ? '1' : '0';
  }
  return picture;
}

// fopen(fid): name, permission, machine format and bit state, each when
// requested; empty strings for a fid that is not open, which has no bit
// state to give as a fourth.
void queryFile(FiRequest &request, FileTable &table) {
  const int fid = common::integerArgument(request.prhs[0]);
  const FileEntry *entry = fid < 0 ? nullptr : findEntry(table, fid);
  const std::string picture = entry != nullptr ? bitPicture(entry->bitCarry) : "";
  const char *answers[] = {entry != nullptr ? entry->name : "", entry != nullptr ? entry->permission : "",
                           entry != nullptr ? utGetDataSizeTypeName(entry->machineFormat) : "", picture.c_str()};
  const int count = std::min(request.nlhs < 1 ? 1 : request.nlhs, entry != nullptr ? 4 : 3);
  common::Outputs out = request.outputs();
  for (int i = 0; i < count; ++i) out.set(i, common::stringResult(answers[i]));
}

// Settles the bit state, closes the stream, tells the search path about a
// written file and removes the entry. 0, or -1 when the close failed (a
// file whose pending bits cannot be written stays open).
int closeEntry(FileTable &table, FileEntry &entry) {
  if (releaseBitState(entry) != 0) return -1;
  clearErrno();
  const bool closed = closeStream(entry);
  if (closed && !isReadPermission(entry.permission)) {
    kpSetFullnameChanged(common::mainPath(), entry.name);
  }
  unlinkEntry(table, &entry);
  return closed ? 0 : -1;
}

int closeAll(FileTable &table) {
  int result = 0;
  for (FileEntry *e = firstUserEntry(table); e != nullptr;) {
    FileEntry *next = e->next;
    if (closeEntry(table, *e) != 0) result = -1;
    e = next;
  }
  return result;
}

}  // namespace

int fopenOperation(FiRequest &request, FileTable &table, TransferDescriptor &) {
  qxCheckNumArgs(request.nlhs, 4, request.nrhs, 1, 3);
  const qxArray *first = request.prhs[0];
  if (request.nrhs == 1 && !qxIsChar(first)) {
    queryFile(request, table);
    return 0;
  }
  const common::HostText name = common::textArgument(first, QX_MSG_FILE_NAME_NOT_STRING);
  if (request.nrhs == 1 && std::strcmp(name.get(), "all") == 0) {
    listUserFids(request, table);
    return 0;
  }
  const common::HostText given =
      request.nrhs >= 2 ? common::textArgument(request.prhs[1], QX_MSG_INVALID_PERMISSION) : nullptr;
  if (given && std::strchr("rwaWA", given.get()[0]) == nullptr) qxErrMsg(QX_MSG_INVALID_PERMISSION);
  if (given && given.get()[0] == '\0') qxErrMsg(QX_MSG_INVALID_PERMISSION);
  const int format = request.nrhs == 3 ? formatArgument(request.prhs[2]) : utGetDataSizeType();
  if (std::strlen(name.get()) > common::kMaxPathLength) {
    qxErrMsgTxt("File name is too long: paths are limited to %d characters.", static_cast<int>(common::kMaxPathLength));
  }
  TableText permission = reducedPermission(given ? given.get() : "r");
  if (FileEntry *known = userEntryNamed(table, name.get())) {
    reopen(request, table, *known, name.get(), std::move(permission), format);
  } else {
    openNew(request, table, name.get(), std::move(permission), format);
  }
  return 0;
}

int fcloseOperation(FiRequest &request, FileTable &table, TransferDescriptor &) {
  qxCheckNumArgs(request.nlhs, 1, request.nrhs, 1, 1);
  int result = 0;
  if (qxIsChar(request.prhs[0])) {
    const common::HostText option = common::textArgument(request.prhs[0], QX_MSG_INVALID_FCLOSE_OPTION);
    if (std::strcmp(option.get(), "all") != 0) qxErrMsg(QX_MSG_INVALID_FCLOSE_OPTION);
    result = closeAll(table);
  } else {
    const int fid = common::integerArgument(request.prhs[0]);
    if (fid < kFirstUserFid) qxErrMsg(QX_MSG_INVALID_FID);
    result = closeEntry(table, requireEntry(table, fid));
  }
  request.outputs().set(0, common::scalarResult(result));
  return result;
}

}  // namespace zq::fileio
