// A zq session: the evaluator with the library initialised, and the
// running of text (a script, -e, a line at the prompt) with the shell's
// error reporting.
#pragma once

#include <string>
#include <string_view>

#include "shell/evaluator.h"

namespace zq::shell {

class ParseError;

// What the shell prints for a syntax error in text when it shows places:
// "error: ", the place ("FILE:LINE: ", only when source names a script),
// the text without its place in words, then the line and a caret under the
// column.
std::string syntaxErrorReport(const ParseError &e, std::string_view text, std::string_view source);

// Whether errors are to show their places: ZQ_ERROR_PLACES=1 asks for them
// and ZQ_ERROR_PLACES=0 refuses them; otherwise they are shown when
// standard error is a terminal (a person reads it), never when it goes to
// a file or a pipe, where tools expect "error: TEXT" alone.
bool errorPlacesWanted();

// Prints "error: Out of memory." for memory that ran out outside a
// statement (reading a script or the prompt's line).
void reportOutOfMemory() noexcept;

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

  // Runs text statement by statement: an error abandons the rest of its
  // line; keepGoing then goes on with the next line, and a syntax error is
  // reported when its statement is reached. Without keepGoing the first
  // error ends the run, so the text is parsed whole first: a syntax error
  // anywhere is reported and nothing runs. source names the script in the
  // place of an error ("error: FILE:LINE: TEXT" when places are shown); it
  // is empty at the prompt and for -e, where the text alone is shown.
  Outcome run(std::string_view text, bool keepGoing, std::string_view source = {});

  // Off at the start: every error prints "error: TEXT" alone.
  void showErrorPlaces(bool on) { places_ = on; }

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
  bool places_ = false;
  int exitRequest_ = 0;

  // How one statement ended.
  enum class Step { Ran, Failed, Interrupted, Exit };
  Step runStatement(const Stmt &s, std::string_view source);

  // Reports an error raised at line of the script source (or of text
  // without a source); the last error is the text without the place.
  void recordError(const char *text) noexcept;
  void report(const char *text, std::string_view source, int line) noexcept;
  void reportSyntax(const ParseError &e, std::string_view text, std::string_view source) noexcept;
};

}  // namespace zq::shell
