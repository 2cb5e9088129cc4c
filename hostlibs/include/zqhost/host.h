// The host's own interface for the zq shell and for tests: dispatch of
// registered builtins, the exceptions that carry errors and interrupts, and
// the session switches that the library does not see.
#pragma once

#include <exception>
#include <string>
#include <string_view>

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
// Number of registered builtin records.
int registeredBuiltinCount();

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

// Tells ioStopPrinting to answer true (tests of the printers).
void setStopPrinting(bool stop);

// Makes the data of a its own: an array made by qxCreateSharedDataCopy
// shares its blocks with the original until one of them is to change in
// place; the shell calls this before every such change. Raises "Out of
// memory." when the copy cannot be made.
void ownData(qxArray *a);

// The public class name of a class identifier ("double", "char", ...).
const char *classNameOf(int classId);

}  // namespace zqhost
