// zq: the interpreter shell. Runs a script, a text given with -e, or an
// interactive prompt with line editing and a history file.
#include <editline/readline.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>
#include <string>

#include "builtins/zqbuiltins.h"
#include "shell/session.h"
#include "zqhost/host.h"

namespace {

constexpr const char *kUsage =
    "Usage: zq [-k] [FILE | -e TEXT]\n"
    "\n"
    "Runs statements of the zq language with the builtins of libzqbuiltins.\n"
    "\n"
    "  zq              interactive prompt 'zq> ' with line editing; the history\n"
    "                  is kept in ~/.zq_history\n"
    "  zq FILE         runs the script FILE (- reads it from standard input)\n"
    "  zq -e TEXT      runs TEXT (statements separated by newlines, ',' or ';')\n"
    "  -k              after an error, go on with the next line (always so at\n"
    "                  the prompt); without it the first error ends the run\n"
    "  -h, --help      shows this text\n"
    "\n"
    "An error prints 'error: TEXT' on standard error. Ctrl-C stops the running\n"
    "statement. exit or quit ends the run.\n"
    "\n"
    "Exit status: 0 when no error occurred, 1 when one did, 2 for a bad\n"
    "command line or an unreadable FILE.\n";

struct Options {
  bool keepGoing = false;
  bool hasText = false;
  std::string text;
  std::string file;
};

void onInterrupt(int) { zqhost::requestInterrupt(); }

void installInterruptHandler() {
  struct sigaction sa {};
  sa.sa_handler = onInterrupt;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGINT, &sa, nullptr);
  // A write beyond the file-size limit fails (and fprintf or fwrite report
  // it) instead of ending the shell.
  std::signal(SIGXFSZ, SIG_IGN);
}

// Returns 0 when the options parsed, else the exit status (2, or 0 after
// --help).
int parseOptions(int argc, char **argv, Options &o) {
  for (int k = 1; k < argc; ++k) {
    const std::string arg = argv[k];
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return -1;
    }
    if (arg == "-k") {
      o.keepGoing = true;
    } else if (arg == "-e") {
      if (k + 1 >= argc || o.hasText || !o.file.empty()) {
        std::fputs(k + 1 >= argc ? "zq: -e needs a text\n" : "zq: give either FILE or -e TEXT\n", stderr);
        return 2;
      }
      o.hasText = true;
      o.text = argv[++k];
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      std::fprintf(stderr, "zq: unknown option '%s'\n%s", arg.c_str(), kUsage);
      return 2;
    } else {
      if (o.hasText || !o.file.empty()) {
        std::fputs("zq: give either FILE or -e TEXT\n", stderr);
        return 2;
      }
      o.file = arg;
    }
  }
  return 0;
}

std::string historyFile() {
  const char *home = std::getenv("HOME");
  return home == nullptr || *home == '\0' ? std::string() : std::string(home) + "/.zq_history";
}

// A failed write to standard output (a full disk, a broken device) is
// reported on standard error and fails the run, as command-line tools do.
int checkStandardOutput(int status) {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (flushed && std::ferror(stdout) == 0) return status;
  std::fprintf(stderr, "zq: error writing standard output: %s\n", errno != 0 ? std::strerror(errno) : "write error");
  return 1;
}

void reportOutOfMemory() {
  std::fflush(stdout);
  std::fprintf(stderr, "error: %s\n", zqhost::messageText(18));
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

// The prompt: each complete statement (more lines are read while a
// bracket or block is open) runs with keep-going semantics.
void interactive(zq::shell::Session &session) {
  const bool terminal = isatty(STDIN_FILENO) != 0;
  const std::string history = historyFile();
  if (terminal) {
    using_history();
    stifle_history(1000);
    if (!history.empty()) read_history(history.c_str());
  }
  std::string buffer, line;
  while (true) {
    std::fflush(stdout);
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
    if (outcome == zq::shell::Session::Outcome::Exit) break;
  }
  if (terminal && !history.empty()) write_history(history.c_str());
  if (terminal) std::fputs("\n", stdout);
}

// Reads a whole script; "-" is standard input.
bool readFile(const std::string &name, std::string &text) {
  std::ostringstream all;
  if (name == "-") {
    all << std::cin.rdbuf();
  } else {
    std::ifstream in(name, std::ios::binary);
    if (!in) return false;
    all << in.rdbuf();
  }
  text = all.str();
  return true;
}

}  // namespace

namespace {

int runShell(int argc, char **argv) {
  Options options;
  const int bad = parseOptions(argc, argv, options);
  if (bad != 0) return bad < 0 ? 0 : bad;
  std::string script;
  if (!options.file.empty() && !readFile(options.file, script)) {
    std::fprintf(stderr, "zq: cannot read '%s': %s\n", options.file.c_str(), std::strerror(errno));
    return 2;
  }
  installInterruptHandler();
  int status = 0;
  {
    zq::shell::Session session;
    if (options.hasText)
      session.run(options.text, options.keepGoing);
    else if (!options.file.empty())
      session.run(script, options.keepGoing);
    else
      interactive(session);
    fiFlushWriteCarryByteFIO();
    status = session.exitStatus();
  }
  return checkStandardOutput(status);
}
}  // namespace

// Memory that runs out outside a statement (reading the script, the prompt's
// line) ends the run with the shell's usual error.
int main(int argc, char **argv) {
  try {
    return runShell(argc, argv);
  } catch (const std::bad_alloc &) {
    reportOutOfMemory();
    return 1;
  }
}
