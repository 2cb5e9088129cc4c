// A zq session: the evaluator with the library initialised, and the
// running of text (a script, -e, a line at the prompt) with the shell's
// error reporting.
#pragma once

#include <string>
#include <string_view>

#include "shell/evaluator.h"

namespace zq::shell {

class Session {
 public:
  Session();
  ~Session();
  Session(const Session &) = delete;
  Session &operator=(const Session &) = delete;

  enum class Outcome {
    Finished,  // the text ran to its end (or to an error without keepGoing)
    Exit,      // exit or quit
    Interrupted
  };

  // Runs text statement by statement. An error abandons the rest of its
  // line; keepGoing then goes on with the next line, else the run stops.
  Outcome run(std::string_view text, bool keepGoing);

  // True when text ends inside an open bracket or block (the prompt then
  // reads another line before running it).
  bool incomplete(std::string_view text);

  bool anyError() const { return anyError_; }
  // The status for the process: exit(n)'s n, else 1 after an error or an
  // interrupt, else 0.
  int exitStatus() const;

  Evaluator &evaluator() { return ev_; }

 private:
  Evaluator ev_;
  bool anyError_ = false;
  bool interrupted_ = false;
  int exitRequest_ = 0;

  void report(const char *text) noexcept;
};

}  // namespace zq::shell
