// The host's own interface for the zq shell and for tests: dispatch of
// registered builtins, the exceptions that carry errors and interrupts, and
// the session switches that the library does not see.
#pragma once

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/qx.h"

namespace zqhost {

// A raised error: the text the shell prints after "error: ".
class Error : public std::exception {
 public:
  explicit Error(std::string text);
  // The same from a C string: the raisers that take one hold no string of
  // their own while the error unwinds, which keeps raising cheap.
  explicit Error(const char *text);
  ~Error() override;
  const char *what() const noexcept override;
  const std::string &text() const noexcept { return text_; }

 private:
  std::string text_;
};

// A user interrupt (Ctrl-C) that left a builtin or the shell's evaluation.
class Interrupt : public std::exception {
 public:
  ~Interrupt() override;
  const char *what() const noexcept override;
};

// Raises an Error with the text (used by the shell for its own messages).
[[noreturn]] void raise(std::string text);

// The builtin record registered under name, or null.
const BuiltinEntry *findBuiltin(std::string_view name);
// Number of registered builtin records, and their names in no order.
int registeredBuiltinCount();
std::vector<std::string_view> registeredBuiltinNames();

// The allocation list of one builtin call while it runs: blocks that the
// handler puts on it (qxAddToAllocList) are freed when an error unwinds
// the call; a call that returns leaves them to their owner.
class CallFrame {
 public:
  CallFrame();
  ~CallFrame();
  CallFrame(const CallFrame &) = delete;
  CallFrame &operator=(const CallFrame &) = delete;

 private:
  int unwinding_;  // exceptions in flight when the call began
};

// Calls the handler of entry for the class code of prhs[0] (code 1 without
// input), inside a call frame. Raises an error when the record has no
// handler for that class.
void callBuiltin(const BuiltinEntry &entry, int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
// The same without a frame of its own, for a caller that holds a CallFrame
// beside other objects it destroys when an error passes: an error then
// unwinds one frame with clean-ups instead of two, which is most of what
// raising it costs.
void callHandler(const BuiltinEntry &entry, int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

// Text of host message n.
const char *messageText(int n);

// Interrupts: the shell's signal handler calls requestInterrupt.
void requestInterrupt();
void clearInterrupt();
bool interruptPending();

// Tells ioStopPrinting to answer true (tests of the printers); it also
// answers true while an interrupt is pending.
void setStopPrinting(bool stop);

// Makes the data of a its own: an array made by qxCreateSharedDataCopy
// shares its blocks with the original until one of them is to change in
// place; the shell calls this before every such change. Raises "Out of
// memory." when the copy cannot be made.
void ownData(qxArray *a);

// The public class name of a class identifier ("double", "char", ...).
const char *classNameOf(int classId);

// ---- Function handles ------------------------------------------------------

// A name of a function or class: a letter, then letters, digits and
// underscores.
bool isName(std::string_view text);

// An anonymous function "@(a, b) EXPR" as the shell made it: the host keeps
// it with the handle, copies it with the handle, and asks it for its text
// and the values it captured.
class AnonymousFunction {
 public:
  virtual ~AnonymousFunction();
  // The text as written, from the "@" to the end of the expression.
  virtual const std::string &text() const = 0;
  // The captured values as a new 1-by-1 structure, one field per variable.
  virtual qxArray *workspace() const = 0;
};
using AnonymousFunctionPtr = std::shared_ptr<const AnonymousFunction>;

// Makes the anonymous function of a text such as "@(x) x + 1", or returns
// null when the text is not one. The shell installs it, so that handles
// made from text (str2func) may be anonymous functions too.
using AnonymousFunctionMaker = AnonymousFunctionPtr (*)(std::string_view text);
void setAnonymousFunctionMaker(AnonymousFunctionMaker maker);

// The anonymous function a handle record holds, or null for a named
// function or an empty record.
const AnonymousFunction *anonymousFunction(const void *record);
// The anonymous function of a 1-by-1 handle array, or null (any other
// array, or a named function): one call where a loop calls a handle.
const AnonymousFunction *anonymousFunctionOf(const qxArray *handle);
// Makes record (filled or not) hold fn and its text.
void setAnonymousFunction(void *record, AnonymousFunctionPtr fn);
// Makes record (filled or not) a copy of source.
void copyFunctionHandle(void *record, const void *source);

// ---- Objects -----------------------------------------------------------------

// The size vector an object reports for itself (made by zqobject with a
// SIZE), or null.
const std::vector<double> *reportedSize(const qxArray *object);
void setReportedSize(qxArray *object, std::vector<double> size);

}  // namespace zqhost
