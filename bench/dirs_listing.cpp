// dir of a directory of 100,000 files, made here in a temporary directory:
// printing it in columns (dir(path)), returning its structure array
// (d = dir(path), which also reads each file's status), and both, against
// `ls -f DIR | sort` run by the shell in the same benchmark (ls reading the
// directory without sorting, sort ordering the names by byte value; neither
// reads a file's status). The structure is also measured against a plain
// C++ loop doing its job: read the directory, sort the names, stat each
// file and format its date. The printed text goes to /dev/null. Reports
// the median and the fastest of several runs in real time (the machine may
// be loaded), and the ratios library/baseline.
// Run: build-bench/bin/bench_dirs_listing
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "builtins/zqbuiltins.h"
#include "host/qx.h"
#include "zqhost/host.h"

namespace {

constexpr int kFiles = 100000;

// The directory of files, made once; removed at the end of main.
const std::string &directory() {
  static const std::string dir = [] {
    char pattern[] = "/tmp/zqbenchdirXXXXXX";
    const std::string made = mkdtemp(pattern);
    char name[32];
    for (int i = 0; i < kFiles; ++i) {
      // Names of mixed case and length, so that sorting has work to do.
      std::snprintf(name, sizeof name, "/%c%x_%d.dat", "aZm_"[i % 4], (i * 2654435761u) % 100000, i);
      const int fd = open((made + name).c_str(), O_CREAT | O_WRONLY, 0644);
      if (fd >= 0) close(fd);
    }
    return made;
  }();
  return dir;
}

// dir(directory) with nout outputs; the result, if any, is dropped.
void dirThroughLibrary(int nout) {
  qxArray *arg = qxCreateString(directory().c_str());
  qxArray *out[1] = {nullptr};
  zqhost::callBuiltin(*zqhost::findBuiltin("dir"), nout, out, 1, &arg);
  qxDestroyArray(out[0]);
  qxDestroyArray(arg);
}

void lsSort() {
  const std::string command = "ls -f '" + directory() + "' | LC_ALL=C sort > /dev/null";
  if (std::system(command.c_str()) != 0) std::abort();
}

// The structure's job in plain C++: names, dates, sizes and kinds.
struct PlainEntry {
  std::string name, date;
  double bytes;
  bool isdir;
};

std::vector<PlainEntry> plainListing() {
  std::vector<std::string> names;
  DIR *d = opendir(directory().c_str());
  while (const dirent *e = readdir(d)) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.emplace_back(e->d_name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  std::vector<PlainEntry> entries;
  entries.reserve(names.size());
  for (std::string &name : names) {
    struct stat st {};
    stat((directory() + "/" + name).c_str(), &st);
    char date[50];
    std::strftime(date, sizeof date, "%d-%b-%Y %H:%M:%S", std::localtime(&st.st_mtime));
    entries.push_back({std::move(name), date, static_cast<double>(st.st_size), S_ISDIR(st.st_mode)});
  }
  return entries;
}

void BM_DirPrint(benchmark::State &state) {
  for (auto _ : state) dirThroughLibrary(0);
}
void BM_DirStructure(benchmark::State &state) {
  for (auto _ : state) dirThroughLibrary(1);
}
void BM_DirPrintAndStructure(benchmark::State &state) {
  for (auto _ : state) {
    dirThroughLibrary(0);
    dirThroughLibrary(1);
  }
}
void BM_LsSort(benchmark::State &state) {
  for (auto _ : state) lsSort();
}
void BM_PlainStructure(benchmark::State &state) {
  for (auto _ : state) benchmark::DoNotOptimize(plainListing());
}

double fastest(const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); }

#define DIRS_BENCHMARK(fn)                    \
  BENCHMARK(fn)                               \
      ->Unit(benchmark::kMillisecond)         \
      ->UseRealTime()                         \
      ->Iterations(3)                         \
      ->Repetitions(7)                        \
      ->ComputeStatistics("fastest", fastest) \
      ->ReportAggregatesOnly(true)
DIRS_BENCHMARK(BM_DirPrint);
DIRS_BENCHMARK(BM_DirStructure);
DIRS_BENCHMARK(BM_DirPrintAndStructure);
DIRS_BENCHMARK(BM_LsSort);
DIRS_BENCHMARK(BM_PlainStructure);

// The names dir prints, read down its columns, against the directory's
// names sorted by byte value: the same names in the same order.
bool samePrintedNames() {
  std::istringstream printed(zqbench::captured([] { dirThroughLibrary(0); }));
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(printed, line) && !line.empty();) {
    std::istringstream words(line);
    rows.emplace_back(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
  }
  std::vector<std::string> ours;
  for (size_t column = 0; !rows.empty() && column < rows[0].size(); ++column) {
    for (const auto &row : rows) {
      if (column < row.size()) ours.push_back(row[column]);
    }
  }
  std::vector<std::string> names;
  for (const auto &e : std::filesystem::directory_iterator(directory())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return ours == names;
}

}  // namespace

int main(int argc, char **argv) {
  setenv("COLUMNS", "80", 1);
  bnInitialize();
  const bool same = samePrintedNames();

  zqbench::RatioReporter reporter;
  zqbench::runBenchmarks(argc, argv, reporter, true);

  std::printf("same names in the same order: %s\n", same ? "yes" : "NO");
  for (const char *statistic : {"median", "fastest"}) {
    auto name = [&](const char *bench) {
      return std::string(bench) + "/iterations:3/repeats:7/real_time_" + statistic;
    };
    const std::string base = name("BM_LsSort");
    std::printf("%s:\n", statistic);
    reporter.printRatio("  dir print", name("BM_DirPrint"), base);
    reporter.printRatio("  dir structure", name("BM_DirStructure"), base);
    reporter.printRatio("  dir print and structure", name("BM_DirPrintAndStructure"), base);
    reporter.printRatio("  dir structure vs plain C++", name("BM_DirStructure"), name("BM_PlainStructure"));
  }
  std::filesystem::remove_all(directory());
  return 0;
}
