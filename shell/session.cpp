// Running text and reporting errors: standard output is flushed first so
// that "error: TEXT" on standard error appears after everything the
// failing statement printed.
#include "shell/session.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

bool errorPlacesWanted() {
  const char *wanted = std::getenv("ZQ_ERROR_PLACES");
  if (wanted != nullptr && std::strcmp(wanted, "1") == 0) return true;
  if (wanted != nullptr && std::strcmp(wanted, "0") == 0) return false;
  return isatty(STDERR_FILENO) != 0;
}

void reportOutOfMemory() noexcept {
  std::fflush(stdout);
  std::fprintf(stderr, "error: %s\n", zqhost::messageText(QX_MSG_OUT_OF_MEMORY));
}

// Records text as the last error; when there is no memory even for that,
// the last error keeps its old text (the message is printed all the same).
void Session::recordError(const char *text) noexcept {
  anyError_ = true;
  try {
    qxSetLastErrMsg(text);
  } catch (const std::bad_alloc &) {
  }
  std::fflush(stdout);
}

// Called in exception handlers, so these raise nothing.
void Session::report(const char *text, std::string_view source, int line) noexcept {
  recordError(text);
  if (!places_ || source.empty())
    std::fprintf(stderr, "error: %s\n", text);
  else
    std::fprintf(stderr, "error: %.*s:%d: %s\n", static_cast<int>(source.size()), source.data(), line, text);
  std::fflush(stderr);
}

void Session::reportSyntax(const ParseError &e, std::string_view text, std::string_view source) noexcept {
  if (places_) {
    try {
      const std::string shown = syntaxErrorReport(e, text, source);
      recordError(e.what());
      std::fputs(shown.c_str(), stderr);
      std::fflush(stderr);
      return;
    } catch (const std::bad_alloc &) {
    }
  }
  report(e.what(), source, e.line());
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
Session::Outcome Session::run(std::string_view text, bool keepGoing, std::string_view source) {
  std::optional<Parser> parsed;
  try {
    parsed.emplace(text, ev_.symbols());
  } catch (const std::bad_alloc &) {
    report(zqhost::messageText(QX_MSG_OUT_OF_MEMORY), source, 1);
    return Outcome::Finished;
  }
  Parser &parser = *parsed;
  if (!keepGoing) {
    std::vector<StmtPtr> statements;
    try {
      while (!parser.atEnd()) statements.push_back(parser.next());
    } catch (const ParseError &e) {
      reportSyntax(e, text, source);
      return Outcome::Finished;
    } catch (const std::bad_alloc &) {
      report(zqhost::messageText(QX_MSG_OUT_OF_MEMORY), source, parser.line());
      return Outcome::Finished;
    }
    for (const StmtPtr &s : statements) {
      switch (runStatement(*s, source)) {
        case Step::Ran: break;
        case Step::Failed: return Outcome::Finished;
        case Step::Interrupted: return Outcome::Interrupted;
        case Step::Exit: return Outcome::Exit;
      }
    }
    return Outcome::Finished;
  }
  int abandonedLine = 0;
  while (true) {
    StmtPtr s;
    try {
      if (parser.atEnd()) break;
      s = parser.next();
    } catch (const ParseError &e) {
      reportSyntax(e, text, source);
      abandonedLine = parser.restartAfterLine();
      continue;
    } catch (const std::bad_alloc &) {
      report(zqhost::messageText(QX_MSG_OUT_OF_MEMORY), source, parser.line());
      abandonedLine = parser.restartAfterLine();
      continue;
    }
    if (s->line <= abandonedLine) continue;
    switch (runStatement(*s, source)) {
      case Step::Ran: break;
      case Step::Failed: abandonedLine = s->lastLine; break;
      case Step::Interrupted: return Outcome::Interrupted;
      case Step::Exit: return Outcome::Exit;
    }
  }
  return Outcome::Finished;
}

Session::Step Session::runStatement(const Stmt &s, std::string_view source) {
  try {
    ev_.execute(s);
    // A printer that stopped for Ctrl-C (disp, which cannot be
    // interrupted) leaves the interrupt pending: it ends the run here.
    if (zqhost::interruptPending()) throw zqhost::Interrupt();
    return Step::Ran;
  } catch (const zqhost::Error &e) {
    report(e.text().c_str(), source, ev_.line());
  } catch (const ParseError &e) {
    report(e.what(), source, ev_.line());
  } catch (const std::bad_alloc &) {
    report(zqhost::messageText(QX_MSG_OUT_OF_MEMORY), source, ev_.line());
  } catch (const zqhost::Interrupt &) {
    zqhost::clearInterrupt();
    interrupted_ = true;
    std::fflush(stdout);
    // At a terminal the Ctrl-C was echoed as "^C" in the middle of a line.
    std::fputs(isatty(STDERR_FILENO) != 0 ? "\ninterrupted\n" : "interrupted\n", stderr);
    return Step::Interrupted;
  } catch (const ExitRequest &r) {
    exitRequest_ = r.status;
    return Step::Exit;
  }
  return Step::Failed;
}

// The offending line as written, and under it a caret whose indentation
// copies the line's tabs, so that it lines up however wide a tab is shown;
// bytes that continue a UTF-8 character take no column.
std::string syntaxErrorReport(const ParseError &e, std::string_view text, std::string_view source) {
  std::string out = "error: ";
  if (!source.empty()) out += std::string(source) + ":" + std::to_string(e.line()) + ": ";
  out += e.brief();
  out += '\n';
  size_t start = 0;
  for (int l = 1; l < e.line() && start != std::string_view::npos; ++l) {
    start = text.find('\n', start);
    if (start != std::string_view::npos) ++start;
  }
  if (start == std::string_view::npos) return out;
  std::string_view line = text.substr(start, text.find('\n', start) - start);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::string caret;
  for (size_t k = 0; k + 1 < static_cast<size_t>(e.column()) && k < line.size(); ++k) {
    const unsigned char c = static_cast<unsigned char>(line[k]);
    if (c == '\t')
      caret += '\t';
    else if ((c & 0xC0) != 0x80)
      caret += ' ';
  }
  out += "  " + std::string(line) + "\n  " + caret + "^\n";
  return out;
}

}  // namespace zq::shell
