// A zq session: the evaluator with the library initialised, and the
// running of text (a script, -e, a line at the prompt) with the shell's
// error reporting.
#pragma once

#include <string>
#include <string_view>

#include "shell/evaluator.h"

namespace zq::shell {

class ParseError;

// What the shell prints for a syntax error in text: "error: ", the place
// ("FILE:LINE: ", only when source names a script), the text, then the
// line and a caret under the column.
std::string syntaxErrorReport(const ParseError &e, std::string_view text, std::string_view source);

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

  // Runs text. It is parsed whole first: a syntax error anywhere is
  // reported and nothing runs. Then statement by statement: an error
  // abandons the rest of its line; keepGoing then goes on with the next
  // line, else the run stops. source names the script in the place of an
  // error ("error: FILE:LINE: TEXT"); it is empty at the prompt and for
  // -e, where the text alone is shown.
  Outcome run(std::string_view text, bool keepGoing, std::string_view source = {});

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

  // Reports an error raised at line of the script source (or of text
  // without a source); the last error is the text without the place.
  void report(const std::string &text, std::string_view source, int line);
};

}  // namespace zq::shell
