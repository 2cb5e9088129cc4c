// libzqservices: window width, column printing, tilde expansion, opening
// files on the search path, the bell, message translation, features and the
// installation root. Directory listing and file status: directories.cpp.
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/ut.h"
#include "host/zqmpath.h"
#include "host/zqservices.h"
#include "zqhost/faults.h"
#include "zqhost/host.h"
#include "zqhost/path.h"

namespace zqhost {
namespace {
bool stopPrintingRequested = false;
int buzzEnabled = 1;
}  // namespace

void setStopPrinting(bool stop) { stopPrintingRequested = stop; }

}  // namespace zqhost

namespace {

// A window width fixed by the WindowColumns feature; 0 when automatic.
int fixedWindowColumns = 0;

void setWindowColumns(int value) { fixedWindowColumns = value > 0 ? value : 0; }

void listFeatures(int nlhs, qxArray *plhs[], int nrhs, qxArray *[]);

// The host's named features. std::map keeps the names sorted by byte
// value, the order in which Features lists them.
std::map<std::string, svFeatureEntry, std::less<>> &features() {
  static std::map<std::string, svFeatureEntry, std::less<>> table = {
      {"DumpOnError", {0, nullptr, nullptr}},
      {"Features", {0, nullptr, listFeatures}},
      {"WindowColumns", {0, setWindowColumns, nullptr}},
  };
  return table;
}

// feature('Features'): the names of all features as an n-by-1 cell of
// strings.
void listFeatures(int nlhs, qxArray *plhs[], int nrhs, qxArray *[]) {
  if (nrhs > 0) qxErrMsg(QX_MSG_TOO_MANY_INPUTS);
  if (nlhs > 1) qxErrMsg(QX_MSG_TOO_MANY_OUTPUTS);
  const auto &table = features();
  qxArray *names = qxCreateCellMatrix(static_cast<int>(table.size()), 1);
  if (names == nullptr) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  int row = 0;
  for (const auto &feature : table) {
    qxArray *name = qxCreateString(feature.first.c_str());
    if (name == nullptr) {
      qxDestroyArray(names);
      qxErrMsg(QX_MSG_OUT_OF_MEMORY);
    }
    qxSetCell(names, row++, name);
  }
  plhs[0] = names;
}

}  // namespace

extern "C" {

int ioGetNumWindowColumns(void) {
  if (fixedWindowColumns > 0) return fixedWindowColumns;
  if (const char *columns = std::getenv("COLUMNS")) {
    char *end = nullptr;
    const long n = std::strtol(columns, &end, 10);
    if (end != columns && *end == '\0' && n > 0 && n < INT_MAX) return static_cast<int>(n);
  }
  winsize ws{};
  if (isatty(STDOUT_FILENO) && ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
  return 80;
}

// Fills the columns top to bottom, then left to right.
void ioColumnPrint(const char *format, int count, char **strings, int columns) {
  if (count <= 0) return;
  if (columns < 1) columns = 1;
  const int rows = (count + columns - 1) / columns;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const int i = c * rows + r;
      if (i < count) std::printf(format, strings[i]);
    }
    if (r + 1 < rows) std::fputc('\n', stdout);
  }
}

// The printers ask this once per row. A pending Ctrl-C asks them to stop
// too: disp runs with interrupts disabled, so there the interrupt cannot
// leave the printer and the printer stops instead; the shell then reports
// the interrupt when the statement returns.
int ioStopPrinting(void) { return zqhost::stopPrintingRequested || zqhost::interruptPending() ? 1 : 0; }

const char *ioTildeExpansion(char *buffer, const char *path) {
  if (path[0] != '~') return path;
  const char *rest = path + 1;
  std::string home;
  if (*rest == '/' || *rest == '\0') {
    const char *h = std::getenv("HOME");
    if (h == nullptr) return path;
    home = h;
  } else {
    const char *slash = std::strchr(rest, '/');
    const std::string user(rest, slash == nullptr ? std::strlen(rest) : static_cast<size_t>(slash - rest));
    const passwd *pw = getpwnam(user.c_str());
    if (pw == nullptr) return path;
    home = pw->pw_dir;
    rest = slash == nullptr ? "" : slash;
  }
  const std::string expanded = home + rest;
  if (expanded.size() >= IO_PATH_BUFFER_SIZE) return path;  // too long to expand: left as given
  std::memcpy(buffer, expanded.c_str(), expanded.size() + 1);
  return buffer;
}

FILE *ioFopenPathName(const char *name, const char *permission, char *fullPath, int *errorCode) {
  *errorCode = 0;
  const std::string mode = [&] {
    std::string m = permission;
    for (char &c : m) c = static_cast<char>(c == 'W' ? 'w' : c == 'A' ? 'a' : c);
    return m;
  }();
  std::vector<std::string> candidates{name};
  if (name[0] != '/') {
    for (const std::string &dir : zqhost::searchPathDirectories()) candidates.push_back(dir + "/" + name);
  }
  int firstError = 0;
  for (const std::string &candidate : candidates) {
    errno = 0;
    FILE *f = nullptr;
    if (zqhost::faults::due(zqhost::faults::Kind::kStream))
      errno = EIO;
    else
      f = std::fopen(candidate.c_str(), mode.c_str());
    if (f == nullptr) {
      if (firstError == 0) firstError = errno != 0 ? errno : -1;
      continue;
    }
    struct stat st {};
    if (fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
      std::fclose(f);
      if (firstError == 0) firstError = EISDIR;
      continue;
    }
    const std::string full = zqhost::absolutePath(candidate);
    if (full.size() >= IO_PATH_BUFFER_SIZE) {
      std::fclose(f);
      *errorCode = ENAMETOOLONG;
      return nullptr;
    }
    std::memcpy(fullPath, full.c_str(), full.size() + 1);
    return f;
  }
  *errorCode = firstError != 0 ? firstError : -1;
  return nullptr;
}

void ioBuzz(void) {
  if (zqhost::buzzEnabled) {
    std::fputc('\a', stdout);
    std::fflush(stdout);
  }
}
int ioGetBuzz(void) { return zqhost::buzzEnabled; }
void ioSetBuzz(int flag) { zqhost::buzzEnabled = flag; }

const char *svXlate(const char *text) { return text; }

svFeatureEntry *svFindFeatureEntry(const char *name) {
  auto &table = features();
  const auto it = table.find(std::string_view(name));
  return it == table.end() ? nullptr : &it->second;
}

// ZQROOT when it is set and not empty, else the prefix zq is installed
// under. Read at every call; the text stays valid until the next one.
const char *svZelmarRoot(void) {
  static std::string root;
  const char *env = std::getenv("ZQROOT");
  root = env != nullptr && *env != '\0' ? std::string(env) : zqhost::installationPrefix();
  return root.c_str();
}

}  // extern "C"
