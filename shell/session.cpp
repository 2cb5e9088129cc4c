// Running text and reporting errors: standard output is flushed first so
// that "error: TEXT" on standard error appears after everything the
// failing statement printed.
#include "shell/session.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include "builtins/zqbuiltins.h"
#include "shell/parser.h"
#include "zqhost/host.h"

namespace zq::shell {
namespace {

Evaluator *current = nullptr;

// The library calls back into the shell by function name (for example
// "size" of an object while printing a cell).
int callFunction(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[], const char *name) {
  Values args;
  for (int k = 0; k < nrhs; ++k) args.push_back(Value::adopt(qxDuplicateArray(prhs[k])));
  Values out = current->call(name, nlhs, args);
  for (size_t k = 0; k < out.size() && static_cast<int>(k) < std::max(nlhs, 1); ++k) plhs[k] = out[k].release();
  return 0;
}

// The size an object made with a SIZE reports, as a row; null for other
// objects (the printer then uses the object's own dimensions).
qxArray *objectSize(const qxArray *object) {
  const std::vector<double> *size = zqhost::reportedSize(object);
  if (size == nullptr) return nullptr;
  qxArray *row = qxCreateDoubleMatrix(1, static_cast<int>(size->size()), 0);
  if (row != nullptr) std::copy(size->begin(), size->end(), qxGetPr(row));
  return row;
}

// str2func of "@(x) ...": parsed and captured by the evaluator that runs.
zqhost::AnonymousFunctionPtr anonymousFromText(std::string_view text) {
  return current == nullptr ? nullptr : current->anonymousFromText(text);
}

}  // namespace

void setCurrentEvaluator(Evaluator *ev) { current = ev; }

Session::Session() {
  static const bool initialised = [] {
    bnInitialize();
    return true;
  }();
  (void)initialised;
  setCurrentEvaluator(&ev_);
  static const PrtCallbacks callbacks = {callFunction, objectSize};
  bnSetPrtCallbacks(&callbacks);
  zqhost::setAnonymousFunctionMaker(anonymousFromText);
}

Session::~Session() {
  if (current == &ev_) setCurrentEvaluator(nullptr);
}

// Reports an error; called in exception handlers, so it raises nothing:
// when there is no memory even to record the text as the last error, the
// last error keeps its old text and the message is printed all the same.
void Session::report(const char *text) noexcept {
  anyError_ = true;
  try {
    qxSetLastErrMsg(text);
  } catch (const std::bad_alloc &) {
  }
  std::fflush(stdout);
  std::fprintf(stderr, "error: %s\n", text);
  std::fflush(stderr);
}

int Session::exitStatus() const {
  if (exitRequest_ != 0) return exitRequest_;
  return anyError_ || interrupted_ ? 1 : 0;
}

bool Session::incomplete(std::string_view text) {
  try {
    Symbols scratch;
    Parser p(text, scratch);
    while (!p.atEnd()) p.next();
  } catch (const ParseError &e) {
    return e.incomplete();
  } catch (const std::bad_alloc &) {
    return false;  // running the text reports it
  }
  return false;
}

// Memory that runs out while a statement is read or run is reported as
// "Out of memory." like any error, and the run goes on after the line.
Session::Outcome Session::run(std::string_view text, bool keepGoing) {
  std::optional<Parser> parsed;
  try {
    parsed.emplace(text, ev_.symbols());
  } catch (const std::bad_alloc &) {
    report(zqhost::messageText(18));
    return Outcome::Finished;
  }
  Parser &parser = *parsed;
  int abandonedLine = 0;
  while (true) {
    StmtPtr s;
    try {
      if (parser.atEnd()) break;
      s = parser.next();
    } catch (const ParseError &e) {
      report(e.what());
      if (!keepGoing) return Outcome::Finished;
      abandonedLine = parser.restartAfterLine();
      continue;
    } catch (const std::bad_alloc &) {
      report(zqhost::messageText(18));
      if (!keepGoing) return Outcome::Finished;
      abandonedLine = parser.restartAfterLine();
      continue;
    }
    if (s->line <= abandonedLine) continue;
    try {
      ev_.execute(*s);
    } catch (const zqhost::Error &e) {
      report(e.text().c_str());
      if (!keepGoing) return Outcome::Finished;
      abandonedLine = s->lastLine;
    } catch (const ParseError &e) {
      report(e.what());
      if (!keepGoing) return Outcome::Finished;
      abandonedLine = s->lastLine;
    } catch (const zqhost::Interrupt &) {
      zqhost::clearInterrupt();
      interrupted_ = true;
      std::fflush(stdout);
      std::fprintf(stderr, "interrupted\n");
      return Outcome::Interrupted;
    } catch (const std::bad_alloc &) {
      report(zqhost::messageText(18));
      if (!keepGoing) return Outcome::Finished;
      abandonedLine = s->lastLine;
    } catch (const ExitRequest &r) {
      exitRequest_ = r.status;
      return Outcome::Exit;
    }
  }
  return Outcome::Finished;
}

}  // namespace zq::shell
