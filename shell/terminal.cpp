// The interactive prompt. At a terminal it greets the user with a one-line
// banner, reads through libedit (editing, history in ~/.zq_history written
// after every statement, tab completion) and starts each prompt on a fresh
// line; from a pipe it reads plain lines.
#include "shell/terminal.h"

#include <editline/readline.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <string>

#include "shell/completion.h"
#include "zq_version.h"
#include "zqhost/host.h"

namespace zq::shell {
namespace {

std::string historyFile() {
  const char *home = std::getenv("HOME");
  return home == nullptr || *home == '\0' ? std::string() : std::string(home) + "/.zq_history";
}

// One Tab press: libedit asks for the matches one by one, state 0 first.
struct Completion {
  Session *session = nullptr;
  std::string before;  // the line up to the word being completed
  std::vector<std::string> matches;
  size_t next = 0;
} completion;

char *nextCompletion(const char *text, int state) {
  if (state == 0) {
    completion.matches = completions(*completion.session, completion.before, text);
    completion.next = 0;
  }
  if (completion.next == completion.matches.size()) return nullptr;
  return strdup(completion.matches[completion.next++].c_str());
}

char **complete(const char *text, int start, int) {
  rl_attempted_completion_over = 1;  // no fallback to file names outside strings
  rl_completion_append_character = '\0';
  completion.before.assign(rl_line_buffer, static_cast<size_t>(std::max(start, 0)));
  return rl_completion_matches(text, nextCompletion);
}

// Starts the prompt on a fresh line when output left the cursor mid-line:
// as many blanks as the window is wide, then a carriage return. From the
// first column the blanks fill the line and the cursor waits at its end;
// from any other column they wrap onto the next line. Either way the
// carriage return leaves the cursor at the start of an empty line.
void freshLine() {
  if (isatty(STDOUT_FILENO) == 0) return;
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return;
  std::string blanks(size.ws_col, ' ');
  blanks += '\r';
  std::fputs(blanks.c_str(), stdout);
  std::fflush(stdout);
}

enum class Input { Line, Interrupted, End };

// Reads one line: through libedit with a prompt at a terminal, plainly
// from a pipe. Ctrl-C while reading abandons the text typed so far.
Input readLine(bool terminal, const char *prompt, std::string &line) {
  if (!terminal) return std::getline(std::cin, line) ? Input::Line : Input::End;
  char *text = readline(prompt);
  if (text == nullptr) {
    if (!zqhost::interruptPending()) return Input::End;
    zqhost::clearInterrupt();
    std::fputs("\n", stdout);
    return Input::Interrupted;
  }
  line = text;
  std::free(text);
  if (!line.empty()) add_history(line.c_str());
  return Input::Line;
}

}  // namespace

void runPrompt(Session &session) {
  const bool terminal = isatty(STDIN_FILENO) != 0;
  const std::string history = historyFile();
  if (terminal) {
    completion.session = &session;
    rl_readline_name = "zq";
    // Quotes break words so that a file name inside a string completes on
    // its own; '/' and '.' do not, so paths and extensions stay whole.
    rl_basic_word_break_characters = " \t\n\"'`@$><=;|&{([,+-*^~:!]})";
    rl_attempted_completion_function = complete;
    using_history();
    stifle_history(1000);
    if (!history.empty()) read_history(history.c_str());
    std::printf("zq %s: type help for the functions, help NAME for one; exit or Ctrl-D quits.\n", ZQ_PROJECT_VERSION);
  }
  std::string buffer, line;
  while (true) {
    std::fflush(stdout);
    if (terminal && buffer.empty()) freshLine();
    const Input got = readLine(terminal, buffer.empty() ? "zq> " : "  > ", line);
    if (got == Input::End) break;
    zqhost::clearInterrupt();
    if (got == Input::Interrupted) {
      buffer.clear();
      continue;
    }
    try {
      buffer += line;
      buffer += '\n';
      if (session.incomplete(buffer)) continue;
    } catch (const std::bad_alloc &) {
      reportOutOfMemory();
      buffer.clear();
      continue;
    }
    const auto outcome = session.run(buffer, true);
    buffer.clear();
    if (terminal && !history.empty()) write_history(history.c_str());
    if (outcome == Session::Outcome::Exit) break;
  }
  if (terminal && !history.empty()) write_history(history.c_str());
  if (terminal) std::fputs("\n", stdout);
}

}  // namespace zq::shell
