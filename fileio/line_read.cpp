// fgets: the next line of a file with its terminator (line feed, carriage
// return and line feed, or a carriage return alone), optionally cut at a
// length; the character after a line is never consumed.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "common/arguments.h"
#include "common/char_codes.h"
#include "common/outputs.h"
#include "fileio/arguments.h"
#include "fileio/error_codes.h"
#include "fileio/operations.h"
#include "fileio/transfer_core.h"

namespace zq::fileio {
namespace {

// A line as read: its characters (valid until the next read from any
// stream: they may still lie in the stream's buffer), the length of the
// terminator that ended it, and the last code of the read.
struct LineRead {
  std::string_view text;
  int terminator = 0;
  int code = 0;
};

// Characters of the line so far that end it, given its last character
// (0 for none), the one before, and the character that follows (EOF at the
// end of the file): a carriage return waits to see whether a line feed
// completes it.
int terminatorLength(int last, int beforeLast, int next) {
  if (last == '\n') return beforeLast == '\r' ? 2 : 1;
  if (last == '\r') return next == '\n' ? 0 : 1;
  return 0;
}

int terminatorLength(std::string_view line, int next) {
  const size_t n = line.size();
  return terminatorLength(n > 0 ? line[n - 1] : 0, n > 1 ? line[n - 2] : 0, next);
}

// Pushes c back; the code of a failure (errno, the indicator, or -30).
int pushBack(int c, FILE *stream) {
  clearErrno();
  return std::ungetc(c, stream) == EOF ? streamFailureCode(stream, kErrUngetc) : 0;
}

// The characters the stream has read ahead into its buffer and not yet
// handed out; consuming them advances the same pointers the C library's
// own getc reads from. Elsewhere than glibc the window is always empty and
// getc does all the work.
std::string_view bufferedChars(FILE *stream) {
#ifdef __GLIBC__
  const char *from = stream->_IO_read_ptr;
  if (from == nullptr || stream->_IO_read_end <= from) return {};  // nothing buffered yet
  return {from, static_cast<size_t>(stream->_IO_read_end - from)};
#else
  (void)stream;
  return {};
#endif
}

void consumeBuffered(FILE *stream, size_t count) {
#ifdef __GLIBC__
  stream->_IO_read_ptr += count;
#else
  (void)stream, (void)count;
#endif
}

// The position of the first line feed or carriage return in text, or npos.
// One pass: sixteen characters at a time where the processor allows.
size_t findLineBreak(std::string_view text) {
  size_t i = 0;
#ifdef __SSE2__
  const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text.data() + i));
    const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr)));
    if (hits != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
  }
#endif
  for (; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') return i;
  }
  return std::string_view::npos;
}

// Moves the characters before the next line feed or carriage return that
// the stream already holds in its buffer (at most `room`) to buffer[n...],
// and returns how many.
size_t takeOrdinaryRun(FILE *stream, std::string &buffer, size_t n, size_t room) {
  const std::string_view window = bufferedChars(stream);
  const std::string_view span = window.substr(0, std::min(room, window.size()));
  const size_t run = std::min(findLineBreak(span), span.size());
  if (run == 0) return 0;
  if (buffer.size() < n + run) buffer.resize(std::max(2 * buffer.size(), n + run));
  std::memcpy(&buffer[n], window.data(), run);
  consumeBuffered(stream, run);
  return run;
}

// The common case in one step: the buffer holds a whole line ended by a
// line feed alone, within the limit, and the character after it (so the
// end of the file cannot be met). Consumes the line where it lies and
// returns true; anything else is left to the general loop.
bool takeBufferedLine(FILE *stream, size_t limit, LineRead &line) {
  const std::string_view window = bufferedChars(stream);
  if (window.empty()) return false;  // nothing buffered yet (and no block to search)
  // Two memchr calls (the C library's own widest vector loop) beat one
  // pass for both characters on lines of ordinary length.
  const void *found = std::memchr(window.data(), '\n', window.size());
  if (found == nullptr) return false;
  const size_t lf = static_cast<size_t>(static_cast<const char *>(found) - window.data());
  if (lf + 1 >= window.size() || lf >= limit || std::memchr(window.data(), '\r', lf) != nullptr) return false;
  consumeBuffered(stream, lf + 1);
  line.text = window.substr(0, lf + 1);
  line.terminator = 1;
  line.code = 0;
  return true;
}

// The line last read, and the buffer kept between calls for lines that do
// not lie whole in the stream's buffer (reading many lines does not
// allocate).
LineRead lastLine;
std::string lineBuffer(256, '\0');

// Reads one line, at most `limit` characters. Runs of characters other
// than line feed and carriage return are copied from the stream's buffer;
// the rest is read a character at a time.
const LineRead &readLine(FILE *stream, size_t limit) {
  LineRead &line = lastLine;
  std::string &buffer = lineBuffer;
  if (takeBufferedLine(stream, limit, line)) return line;
  size_t n = 0;
  int last = 0, beforeLast = 0;
  line.terminator = 0;
  line.code = 0;
  bool ended = false;
  while (n < limit) {
    if (last != '\n' && last != '\r') {
      const size_t run = takeOrdinaryRun(stream, buffer, n, limit - n);
      if (run > 0) {
        beforeLast = run > 1 ? static_cast<unsigned char>(buffer[n + run - 2]) : last;
        last = static_cast<unsigned char>(buffer[n + run - 1]);
        n += run;
        continue;
      }
    }
    const int c = getc_unlocked(stream);
    if (c != '\n' && c != '\r' && c != EOF && last != '\n' && last != '\r') {
      if (n == buffer.size()) buffer.resize(2 * n);
      buffer[n++] = static_cast<char>(c);
      beforeLast = last;
      last = c;
      continue;
    }
    if (c == EOF) {
      line.code = std::ferror(stream) ? std::ferror(stream) : kErrAtEndOfFile;
      line.terminator = terminatorLength(last, beforeLast, EOF);
      ended = true;
      break;
    }
    const int t = terminatorLength(last, beforeLast, c);
    if (t != 0) {
      line.code = pushBack(c, stream);
      line.terminator = t;
      ended = true;
      break;
    }
    if (n == buffer.size()) buffer.resize(2 * n);
    buffer[n++] = static_cast<char>(c);
    beforeLast = last;
    last = c;
  }
  line.text = std::string_view(buffer.data(), n);
  if (ended) return line;
  // The limit was reached: peek at the next character without leaving the
  // end-of-file state behind.
  clearErrno();
  const int next = getc_unlocked(stream);
  if (next == EOF) {
    if (std::ferror(stream)) {
      line.code = errno != 0 ? errno : std::ferror(stream);
      return line;
    }
    std::clearerr(stream);
  } else {
    line.code = pushBack(next, stream);
  }
  line.terminator = terminatorLength(line.text, next);
  return line;
}

// The line as a 1-by-n char row.
qxArray *charRow(std::string_view text) {
  const int dims[2] = {1, static_cast<int>(text.size())};
  qxArray *row = common::created(qxCreateCharArray(2, dims));
  common::widenBytes(reinterpret_cast<const unsigned char *>(text.data()), qxGetChars(row), text.size());
  return row;
}

// The codes of the last `length` characters, or a 0 x 0 double.
qxArray *terminatorCodes(std::string_view text, int length) {
  qxArray *codes = common::created(qxCreateDoubleMatrix(length == 0 ? 0 : 1, length, 0));
  double *out = qxGetPr(codes);
  for (size_t i = text.size() - static_cast<size_t>(length); i < text.size(); ++i) {
    *out++ = static_cast<unsigned char>(text[i]);
  }
  return codes;
}

}  // namespace

int fgetsOperation(FiRequest &request, FileTable &table, TransferDescriptor &) {
  qxCheckNumArgs(request.nlhs, 2, request.nrhs, 1, 2);
  const int fid = readableFid(request.prhs[0]);
  int limit = 0;
  if (request.nrhs == 2) {
    if (qxIsChar(request.prhs[1]) || qxIsEmpty(request.prhs[1])) qxErrMsg(QX_MSG_INVALID_LENGTH);
    limit = common::integerArgument(request.prhs[1]);
  }
  FileEntry &entry = requireEntry(table, fid);
  const RefusedReadGuard refused(entry);
  common::Outputs out = request.outputs();
  if (releaseBitState(entry) != 0) {
    out.set(0, common::stringResult(""));
    if (out.wants(1)) out.set(1, qxCreateDoubleMatrix(0, 0, 0));
    return 0;
  }
  const LineRead &line = readLine(entry.stream, limit > 0 ? static_cast<size_t>(limit) : SIZE_MAX);
  recordCode(entry, line.code);
  settleReadStatus(entry, static_cast<long long>(line.text.size()));
  if (!line.text.empty()) {
    out.set(0, charRow(line.text));
  } else {
    out.set(0, std::feof(entry.stream) ? common::scalarResult(-1) : common::stringResult(""));
  }
  if (out.wants(1)) out.set(1, terminatorCodes(line.text, line.text.empty() ? 0 : line.terminator));
  return 0;
}

}  // namespace zq::fileio
