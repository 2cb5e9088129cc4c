// Failure injection over whole scripts: runs a zq script again and again,
// making the n-th allocation (the host's allocators and operator new) or
// the n-th stream call (fopen, fread, fwrite, fflush, fclose, fseek, ftell)
// fail, for n = 1, 2, 3, ... until a run meets no call to fail. Each run is
// a child process in a directory of its own; for every n it checks that
//   - the run ends normally: no crash, and no leak (the sanitizer build's
//     leak checker runs at the child's exit and fails it);
//   - no stream is left open outside the open-file table;
//   - a run that differs from the clean one (output or files) reports the
//     failure: an error message, a file-I/O message, or a line in which the
//     script names a failure a builtin reported by its result;
//   - every byte a stream took before the failure is in its file.
//
// Usage: fault_runner SCRIPT [alloc|stream [N]] (with N, only that run,
// its output shown).
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

#include "builtins/zqbuiltins.h"
#include "faults/stream_faults.h"
#include "fileio/error_codes.h"
#include "fileio/file_table.h"
#include "shell/session.h"
#include "zqhost/faults.h"

namespace fs = std::filesystem;
using zqhost::faults::Kind;

// ---- operator new takes part in the allocation failures ---------------------

namespace {
bool countAllocations = false;  // only while a script runs
}  // namespace

void *operator new(std::size_t size) {
  if (countAllocations && !zqtest::faults::keepingRecords() && zqhost::faults::due(Kind::kAllocation)) {
    throw std::bad_alloc();
  }
  if (void *p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void *operator new[](std::size_t size) { return operator new(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}
void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept { return operator new(size, tag); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }

namespace {

std::string readFile(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

void writeFile(const fs::path &path, const std::string &text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// The files a run left in its directory, by name.
std::map<std::string, std::string> filesIn(const fs::path &dir) {
  std::map<std::string, std::string> files;
  for (const auto &entry : fs::directory_iterator(dir)) {
    if (entry.is_regular_file()) files[entry.path().filename()] = readFile(entry.path());
  }
  return files;
}

// ---- One run, in the child -----------------------------------------------

// Runs the script in dir/files with the n-th call of kind failing (n 0:
// none) and writes dir/output (its merged output) and dir/report: the
// number of calls met, whether the failure happened, the streams left open
// outside the table, and each stream's bytes taken before the failure.
[[noreturn]] void child(const std::string &script, const fs::path &dir, Kind kind, long n) {
#if defined(__SANITIZE_ADDRESS__)
  // An exception that nothing catches shows where it was thrown.
  std::set_terminate([] {
    __sanitizer_print_stack_trace();
    std::abort();
  });
#endif
  fs::current_path(dir / "files");
  const int output = open((dir / "output").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (output < 0 || dup2(output, 1) < 0 || dup2(output, 2) < 0) std::_Exit(90);
  close(output);
  {
    zq::shell::Session session;
    zqhost::faults::failAt(kind, n);
    countAllocations = kind == Kind::kAllocation;
    session.run(script, true);
    fiFlushWriteCarryByteFIO();
    countAllocations = false;
  }
  const long calls = zqhost::faults::calls(kind);
  const bool fired = zqhost::faults::fired(kind);
  zqhost::faults::failAt(kind, 0);
  std::fflush(stdout);

  std::ostringstream report;
  report << calls << ' ' << fired << '\n';
  zq::fileio::FileTable &table = zq::fileio::fileTable();
  int k = 0;
  for (const auto &t : zqtest::faults::trackedStreams()) {
    bool inTable = false;
    for (const zq::fileio::FileEntry *e = table.head; e != nullptr; e = e->next)
      inTable = inTable || e->stream == t.stream;
    if (t.open && !inTable) report << "leaked " << t.name << '\n';
    if (!t.accepted.empty()) {
      writeFile(dir / ("accepted." + std::to_string(k)), t.accepted);
      report << "accepted." << k << ' ' << fs::path(t.name).filename().string() << '\n';
      ++k;
    }
  }
  writeFile(dir / "report", report.str());
  std::exit(0);  // the leak checker runs now
}

struct Outcome {
  int status = 0;  // the child's wait status
  long calls = 0;
  bool fired = false;
  std::string output, report;
  std::map<std::string, std::string> files;
};

Outcome runChild(const std::string &script, const fs::path &dir, Kind kind, long n) {
  fs::remove_all(dir);
  fs::create_directories(dir / "files");
  std::cout.flush();
  const pid_t pid = fork();
  if (pid < 0) std::abort();
  if (pid == 0) child(script, dir, kind, n);
  Outcome o;
  waitpid(pid, &o.status, 0);
  o.output = readFile(dir / "output");
  o.report = readFile(dir / "report");
  std::istringstream(o.report) >> o.calls >> o.fired;
  o.files = filesIn(dir / "files");
  return o;
}

// The texts that say a failure was noticed: an error, a file-I/O message,
// or a line in which the script names a failure that a builtin reported by
// its result ("failed: fclose").
bool reportsAFailure(const std::string &output) {
  if (output.find("error: ") != std::string::npos || output.find("failed: ") != std::string::npos) return true;
  for (int code = -37; code <= -1; ++code) {
    if (output.find(zq::fileio::messageForCode(code)) != std::string::npos) return true;
  }
  return false;
}

// What is wrong with run n, or "" when nothing is.
std::string check(const Outcome &clean, const Outcome &run, const fs::path &dir) {
  if (!WIFEXITED(run.status)) return "the run crashed (signal " + std::to_string(WTERMSIG(run.status)) + ")";
  if (WEXITSTATUS(run.status) != 0) return "the run failed (status " + std::to_string(WEXITSTATUS(run.status)) + ")";
  if (run.report.find("leaked ") != std::string::npos) return "a stream was left open outside the table";
  const bool same = run.output == clean.output && run.files == clean.files;
  if (run.fired && !same && !reportsAFailure(run.output)) return "the failure changed the run without a report";
  std::istringstream lines(run.report);
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    if (line.rfind("accepted.", 0) != 0) continue;
    const std::string saved = line.substr(0, line.find(' ')), name = line.substr(line.find(' ') + 1);
    const std::string accepted = readFile(dir / saved);
    const auto file = run.files.find(name);
    if (file == run.files.end())
      return name + " is missing, though " + std::to_string(accepted.size()) + " bytes were written to it";
    const std::string &content = file->second;
    const auto differ = std::mismatch(accepted.begin(), accepted.end(), content.begin(), content.end());
    if (differ.first != accepted.end()) {
      return "bytes written before the failure are missing from " + name + ": the file differs at byte " +
             std::to_string(differ.first - accepted.begin()) + " of the " + std::to_string(accepted.size()) +
             " written";
    }
  }
  return "";
}

int runAll(const std::string &scriptPath, const std::vector<Kind> &kinds, long only) {
  const std::string script = readFile(scriptPath);
  const fs::path work = fs::temp_directory_path() / ("zqfaults-" + std::to_string(getpid()));
  int failures = 0;
  for (const Kind kind : kinds) {
    const char *what = kind == Kind::kAllocation ? "allocation" : "stream call";
    const Outcome clean = runChild(script, work / "clean", kind, 0);
    if (const std::string problem = check(clean, clean, work / "clean"); !problem.empty()) {
      std::cout << scriptPath << ", no failure: " << problem << "\n" << clean.output << "\n";
      return 1;
    }
    if (only > 0) {
      const Outcome run = runChild(script, work / "run", kind, only);
      std::cout << run.output << "\n" << check(clean, run, work / "run") << "\n--- report:\n" << run.report;
      return 0;
    }
    long n = 1;
    for (;; ++n) {
      const Outcome run = runChild(script, work / "run", kind, n);
      const std::string problem = check(clean, run, work / "run");
      if (!problem.empty()) {
        ++failures;
        std::cout << scriptPath << ", " << what << " " << n << " failing: " << problem << "\n--- output:\n"
                  << run.output.substr(0, 4000) << "\n--- clean output:\n"
                  << clean.output.substr(0, 2000) << "\n";
        if (failures >= 5) break;
      }
      if (!run.fired && WIFEXITED(run.status)) break;
    }
    std::cout << scriptPath << ": " << n - 1 << " runs, each with one " << what << " failing\n";
  }
  fs::remove_all(work);
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 2 || argc > 4) {
    std::cerr << "usage: fault_runner SCRIPT [alloc|stream [N]]\n";
    return 2;
  }
  std::vector<Kind> kinds = {Kind::kAllocation, Kind::kStream};
  if (argc >= 3) kinds = {std::strcmp(argv[2], "alloc") == 0 ? Kind::kAllocation : Kind::kStream};
  return runAll(argv[1], kinds, argc == 4 ? std::atol(argv[3]) : 0);
}
