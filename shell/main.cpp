// zq: the interpreter shell. Runs a script, a text given with -e, or an
// interactive prompt with line editing and a history file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "builtins/zqbuiltins.h"
#include "shell/session.h"
#include "shell/terminal.h"
#include "zq_version.h"
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
    "  --version       shows the versions of zq and of the library\n"
    "\n"
    "An error prints 'error: TEXT' on standard error. When standard error is a\n"
    "terminal, or with ZQ_ERROR_PLACES=1, an error in a script names its place\n"
    "('error: FILE:LINE: TEXT') and a syntax error shows its line with a caret;\n"
    "ZQ_ERROR_PLACES=0 never shows places. Ctrl-C stops the running statement.\n"
    "exit or quit ends the run.\n"
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

// Returns 0 when the options parsed, -1 after --help or --version (exit
// status 0), else the exit status 2.
int parseOptions(int argc, char **argv, Options &o) {
  for (int k = 1; k < argc; ++k) {
    const std::string arg = argv[k];
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return -1;
    }
    if (arg == "--version") {
      std::printf("zq %s (libzqbuiltins %s, built %s)\n", ZQ_PROJECT_VERSION, libzqbuiltins_version,
                  libzqbuiltins_build_date);
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

// A failed write to standard output (a full disk, a broken device) is
// reported on standard error and fails the run, as command-line tools do.
int checkStandardOutput(int status) {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (flushed && std::ferror(stdout) == 0) return status;
  std::fprintf(stderr, "zq: error writing standard output: %s\n", errno != 0 ? std::strerror(errno) : "write error");
  return 1;
}

// Reads a whole script; "-" is standard input. False with errno set when
// it cannot be read: a directory gives EISDIR.
bool readFile(const std::string &name, std::string &text) {
  const int fd = name == "-" ? STDIN_FILENO : open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    if (fd != STDIN_FILENO) close(fd);
    errno = EISDIR;
    return false;
  }
  text.clear();
  char block[65536];
  ssize_t n = 0;
  while ((n = read(fd, block, sizeof block)) > 0 || (n < 0 && errno == EINTR)) {
    if (n > 0) text.append(block, static_cast<size_t>(n));
  }
  const int readError = n < 0 ? errno : 0;
  if (fd != STDIN_FILENO) close(fd);
  errno = readError;
  return readError == 0;
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
    session.showErrorPlaces(zq::shell::errorPlacesWanted());
    if (options.hasText)
      session.run(options.text, options.keepGoing);
    else if (!options.file.empty())
      session.run(script, options.keepGoing, options.file == "-" ? "<stdin>" : options.file);
    else
      zq::shell::runPrompt(session);
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
    zq::shell::reportOutOfMemory();
    return 1;
  }
}
