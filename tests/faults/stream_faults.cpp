// Wrapped stream calls: a failure looks like the system's own (the call's
// failure result, errno EIO and, for transfers, the stream's error
// indicator). A failed fclose still releases the stream, as the C library
// does, so nothing leaks because of the injection itself.
#include "faults/stream_faults.h"

#include <cerrno>

#include "zqhost/faults.h"

namespace zqtest::faults {
namespace {

int recordKeeping = 0;

// Marks the wrappers' own work while it lives.
struct Records {
  Records() { ++recordKeeping; }
  ~Records() { --recordKeeping; }
  Records(const Records &) = delete;
  Records &operator=(const Records &) = delete;
};

std::vector<TrackedStream> &streams() {
  static std::vector<TrackedStream> all;
  return all;
}

TrackedStream *find(FILE *stream) {
  for (auto it = streams().rbegin(); it != streams().rend(); ++it) {
    if (it->stream == stream && it->open) return &*it;
  }
  return nullptr;
}

bool failNow() {
  if (!zqhost::faults::due(zqhost::faults::Kind::kStream)) return false;
  errno = EIO;
  return true;
}

// Sets the stream's error indicator, as a failed transfer does.
void markFailed(FILE *stream) {
#if defined(__GLIBC__)
  stream->_flags |= _IO_ERR_SEEN;
#else
  (void)stream;
#endif
}

}  // namespace

const std::vector<TrackedStream> &trackedStreams() { return streams(); }
bool keepingRecords() { return recordKeeping > 0; }
void forgetStreams() { streams().clear(); }

}  // namespace zqtest::faults

using namespace zqtest::faults;
using zqhost::faults::fired;
using zqhost::faults::Kind;

extern "C" {

FILE *__real_fopen(const char *name, const char *mode);
size_t __real_fread(void *data, size_t size, size_t count, FILE *stream);
size_t __real_fwrite(const void *data, size_t size, size_t count, FILE *stream);
int __real_fflush(FILE *stream);
int __real_fclose(FILE *stream);
int __real_fseek(FILE *stream, long offset, int origin);
long __real_ftell(FILE *stream);

FILE *__wrap_fopen(const char *name, const char *mode) {
  if (failNow()) return nullptr;
  FILE *stream = __real_fopen(name, mode);
  const Records records;
  if (stream != nullptr) streams().push_back({stream, name, true, {}});
  return stream;
}

size_t __wrap_fread(void *data, size_t size, size_t count, FILE *stream) {
  if (failNow()) {
    markFailed(stream);
    return 0;
  }
  return __real_fread(data, size, count, stream);
}

size_t __wrap_fwrite(const void *data, size_t size, size_t count, FILE *stream) {
  if (failNow()) {
    markFailed(stream);
    return 0;
  }
  const size_t written = __real_fwrite(data, size, count, stream);
  const Records records;
  TrackedStream *tracked = find(stream);
  if (tracked != nullptr && !fired(Kind::kStream))
    tracked->accepted.append(static_cast<const char *>(data), written * size);
  return written;
}

int __wrap_fflush(FILE *stream) {
  if (stream != nullptr && failNow()) {
    markFailed(stream);
    return EOF;
  }
  return __real_fflush(stream);
}

int __wrap_fclose(FILE *stream) {
  if (TrackedStream *tracked = find(stream)) tracked->open = false;
  const bool fail = failNow();
  const int closed = __real_fclose(stream);
  if (fail) errno = EIO;
  return fail ? EOF : closed;
}

int __wrap_fseek(FILE *stream, long offset, int origin) {
  return failNow() ? -1 : __real_fseek(stream, offset, origin);
}

long __wrap_ftell(FILE *stream) { return failNow() ? -1 : __real_ftell(stream); }

}  // extern "C"
