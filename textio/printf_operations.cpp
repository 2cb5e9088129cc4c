// sprintf and fprintf: argument checks and outputs around the one output
// engine, which writes to a char row, the console or a stream.
#include <cstdio>

#include "common/char_codes.h"
#include "common/outputs.h"
#include "fileio/arguments.h"
#include "fileio/error_codes.h"
#include "host/ut.h"
#include "textio/arguments.h"
#include "textio/operations.h"
#include "textio/output.h"

namespace zq::textio {
namespace {

// Outcome of walking the data arguments through the format.
struct RunResult {
  int code = kErrNone;
  bool usedElements = false;  // the failing argument had elements used
};

// Runs every data argument and then the final run, flushing the sink
// after each so that a stream failure is seen with its argument. The text
// made before a failure is flushed too: it stays written.
RunResult runArguments(OutputEngine &engine, OutputSink &sink, qxArray *const *arguments, int count) {
  RunResult result;
  const auto settle = [&sink](int code) {
    const int flushed = sink.flush();
    return code != kErrNone ? code : flushed;
  };
  for (int i = 0; i < count; ++i) {
    DataArgument argument(arguments[i]);
    ElementSource &source = argument.source();
    result.code = settle(engine.run(source, i + 1));
    if (result.code != kErrNone) {
      result.usedElements = source.index > 0;
      return result;
    }
  }
  result.code = settle(engine.finish());
  return result;
}

// A failure of the stream without a reason of its own is refined: -6 when
// the argument was partly written, -5 when the file is not open for
// writing.
int refineWriteCode(const fileio::FileEntry &entry, const RunResult &result) {
  if (result.code != kErrUnknown) return result.code;
  if (result.usedElements) return kErrNoMoreSpace;
  if (!fileio::permissionHasAny(entry, "w")) return kErrNotOpenForWriting;
  return kErrUnknown;
}

// sprintf('%s', text), where every code of the text is a single byte other
// than NUL, prints the text unchanged. The result then shares the
// argument's data instead of copying it: nothing can tell the two apart,
// and long texts cost no copy. Null when the call is not of that kind (or
// the text is beyond what the usual path would accept).
qxArray *unchangedText(const FiRequest &request, const PreparedFormat &format) {
  if (request.nrhs != 2 || format.text != "%s" || !format.escapesValid) return nullptr;
  const qxArray *text = request.prhs[1];
  if (!qxIsChar(text) || qxIsEmpty(text) || utIsMultiByteCharSet() != 0) return nullptr;
  const int n = qxGetNumberOfElements(text);
  if (static_cast<size_t>(n) > kMaxTextBytes) return nullptr;
  if (!common::allSingleByteCodes(qxGetChars(text), static_cast<size_t>(n))) return nullptr;
  qxArray *row = common::created(qxCreateSharedDataCopy(text));
  const int dims[2] = {1, n};
  qxSetDimensions(row, dims, 2);
  return row;
}

}  // namespace

int sprintfOperation(FiRequest &request, FileTable &, TransferDescriptor &) {
  if (request.nlhs > 2) qxErrMsg(QX_MSG_TOO_MANY_OUTPUTS);
  const PreparedFormat format = prepareFormat(request.prhs[0], true);
  common::Outputs out = request.outputs();
  if (qxArray *row = unchangedText(request, format)) {
    out.set(0, row);
    if (out.wants(1)) out.set(1, common::stringResult(fileio::messageForCode(kErrNone)));
    return 0;
  }
  CharRowSink sink;
  OutputEngine engine(format.text, sink);
  const RunResult result = runArguments(engine, sink, request.prhs + 1, request.nrhs - 1);
  out.set(0, sink.takeRow());
  if (out.wants(1)) out.set(1, common::stringResult(fileio::messageForCode(result.code)));
  return format.escapesValid ? 0 : 1;
}

int fprintfOperation(FiRequest &request, FileTable &table, TransferDescriptor &transfer) {
  if (request.nlhs > 2) qxErrMsg(QX_MSG_TOO_MANY_OUTPUTS);
  const qxArray *first = request.prhs[0];
  const bool console = qxIsChar(first) || (qxIsEmpty(first) && request.nrhs == 1);
  int fid = 1;
  if (!console) {
    if (request.nlhs > 1) qxErrMsg(QX_MSG_TOO_MANY_OUTPUTS);
    fid = fileio::nonNegativeFid(first);
  }
  fileio::FileEntry &entry = fileio::requireEntry(table, fid);
  if (!console && request.nrhs < 2) qxErrMsg(QX_MSG_MISSING_FORMAT);
  const int formatIndex = console ? 0 : 1;
  const qxArray *formatArgument = request.prhs[formatIndex];
  const PreparedFormat format =
      qxIsChar(formatArgument) || !console ? prepareFormat(formatArgument, true) : PreparedFormat{};
  transfer.byteMode = 0;

  const bool countWanted = request.nlhs >= 1 || (!console && fid >= 3);
  common::Outputs out = request.outputs();
  if (fileio::releaseBitState(entry) != 0) {
    if (request.nlhs >= 1) out.set(0, common::scalarResult(0));
    return 1;
  }
  ConsoleSink consoleSink;
  StreamSink streamSink(entry.stream);
  const bool toStream = fid != 1 && fid != 2;
  OutputSink &sink = toStream ? static_cast<OutputSink &>(streamSink) : consoleSink;
  OutputEngine engine(format.text, sink);
  const RunResult result = runArguments(engine, sink, request.prhs + formatIndex + 1, request.nrhs - formatIndex - 1);
  // A good flush clears the status (the write has just succeeded).
  int code = result.code != kErrNone ? refineWriteCode(entry, result) : kErrNone;
  if (toStream && streamSink.failureCode() != kErrNone) {
    // Writing to a read-only stream fails with a system reason on this
    // platform; the user is told what is wrong all the same, as fwrite does.
    if (fileio::isReadOnlyPermission(entry)) code = kErrNotOpenForWriting;
    fileio::recordWriteFailure(entry, code);
  } else if (code != kErrNone) {
    fileio::recordCode(entry, code);
  } else if (fileio::flushAfterWrite(entry) == fileio::WriteFlush::kDone) {
    entry.status = 0;
  }
  if (!format.escapesValid) fileio::recordCode(entry, kErrInvalidFormat);
  // A stream counts what it took, which is less than what was formatted
  // when a write failed.
  const double count = toStream ? static_cast<double>(streamSink.accepted()) : engine.count();
  if (countWanted) out.set(0, common::scalarResult(count));
  // The message is the run's, even when a bad escape then sets the status.
  if (console && out.wants(1)) out.set(1, common::stringResult(fileio::messageForCode(code)));
  return result.code != kErrNone || !format.escapesValid ? 1 : 0;
}

}  // namespace zq::textio
