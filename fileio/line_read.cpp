// fgets: the next line of a file with its terminator (line feed, carriage
// return and line feed, or a carriage return alone), optionally cut at a
// length; the character after a line is never consumed.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>

#include "fileio/arguments.h"
#include "fileio/error_codes.h"
#include "fileio/operations.h"
#include "fileio/transfer_core.h"

namespace zq::fileio {
namespace {

// Characters of a line so far that end it, given the character that
// follows (EOF at the end of the file): a carriage return waits to see
// whether a line feed completes it.
int terminatorLength(const std::string &line, int next) {
  if (line.empty()) return 0;
  const char last = line.back();
  if (last == '\n') return line.size() >= 2 && line[line.size() - 2] == '\r' ? 2 : 1;
  if (last == '\r') return next == '\n' ? 0 : 1;
  return 0;
}

// Pushes c back; the code of a failure (errno, the indicator, or -30).
int pushBack(int c, FILE *stream) {
  clearErrno();
  return std::ungetc(c, stream) == EOF ? streamFailureCode(stream, kErrUngetc) : 0;
}

struct LineRead {
  std::string text;
  int terminator = 0;  // length of the terminator that ended the line
  int code = 0;        // the last code of the read
};

// Reads one line, at most `limit` characters. The line buffer is kept
// between calls so that reading many lines does not allocate.
const LineRead &readLine(FILE *stream, size_t limit) {
  static LineRead line;
  line.text.clear();
  line.terminator = 0;
  line.code = 0;
  while (line.text.size() < limit) {
    const int c = getc_unlocked(stream);
    if (c == EOF) {
      line.code = std::ferror(stream) ? std::ferror(stream) : kErrAtEndOfFile;
      line.terminator = terminatorLength(line.text, EOF);
      return line;
    }
    const int t = terminatorLength(line.text, c);
    if (t != 0) {
      line.code = pushBack(c, stream);
      line.terminator = t;
      return line;
    }
    line.text.push_back(static_cast<char>(c));
  }
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

qxArray *charRow(const std::string &text) {
  const int dims[2] = {1, static_cast<int>(text.size())};
  qxArray *row = created(qxCreateCharArray(2, dims));
  qxChar *out = qxGetChars(row);
  for (const char c : text) *out++ = static_cast<unsigned char>(c);
  return row;
}

// The codes of the last `length` characters, or a 0 x 0 double.
qxArray *terminatorCodes(const std::string &text, int length) {
  qxArray *codes = created(qxCreateDoubleMatrix(length == 0 ? 0 : 1, length, 0));
  double *out = qxGetPr(codes);
  for (size_t i = text.size() - static_cast<size_t>(length); i < text.size(); ++i) {
    *out++ = static_cast<unsigned char>(text[i]);
  }
  return codes;
}

}  // namespace

int fgetsOperation(FiRequest &request, FileTable &table, TransferDescriptor &) {
  qxCheckNumArgs(request.nlhs, 2, request.nrhs, 1, 2);
  if (nonNegativeFid(request.prhs[0]) == 0) qxErrMsg(61);
  int limit = 0;
  if (request.nrhs == 2) {
    if (qxIsChar(request.prhs[1]) || qxIsEmpty(request.prhs[1])) qxErrMsg(64);
    limit = argumentToInt(request.prhs[1]);
  }
  FileEntry &entry = requireEntry(table, argumentToInt(request.prhs[0]));
  if (releaseBitState(entry) != 0) {
    setOutput(request, 0, text(""));
    if (request.nlhs >= 2) setOutput(request, 1, created(qxCreateDoubleMatrix(0, 0, 0)));
    return 0;
  }
  const LineRead &line = readLine(entry.stream, limit > 0 ? static_cast<size_t>(limit) : SIZE_MAX);
  recordCode(entry, line.code);
  settleReadStatus(entry, static_cast<long long>(line.text.size()));
  if (!line.text.empty()) {
    setOutput(request, 0, charRow(line.text));
  } else {
    setOutput(request, 0, std::feof(entry.stream) ? scalar(-1) : text(""));
  }
  if (request.nlhs >= 2) setOutput(request, 1, terminatorCodes(line.text, line.text.empty() ? 0 : line.terminator));
  return 0;
}

}  // namespace zq::fileio
