// libzqmpath: the current directory and the search path. The manager keeps
// no cache of directory contents, so a change notice needs no work.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/zqmpath.h"
#include "host/zqservices.h"
#include "zqhost/path.h"

struct kpPath {
  std::string name;
};
struct kpDirEntry {
  std::string dir;
};

namespace zqhost {

std::vector<std::string> searchPathDirectories() {
  std::vector<std::string> dirs;
  const char *env = std::getenv("ZQPATH");
  if (env == nullptr) return dirs;
  std::string all = env;
  size_t start = 0;
  while (start <= all.size()) {
    const size_t colon = all.find(':', start);
    const std::string dir = all.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!dir.empty()) dirs.push_back(dir);
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return dirs;
}

std::string absolutePath(const std::string &name) {
  std::string path = name;
  if (path.empty() || path[0] != '/') {
    std::vector<char> cwd(PATH_MAX + 1);
    if (getcwd(cwd.data(), cwd.size()) == nullptr) return name;
    path = std::string(cwd.data()) + "/" + name;
  }
  // Fold "." and ".." parts and repeated separators.
  std::vector<std::string> parts;
  size_t start = 0;
  while (start < path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    const std::string part = path.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  std::string result;
  for (const auto &p : parts) result += "/" + p;
  return result.empty() ? "/" : result;
}

std::string installationPrefix() {
  std::vector<char> exe(PATH_MAX + 1, '\0');
  const ssize_t n = readlink("/proc/self/exe", exe.data(), exe.size() - 1);
  if (n <= 0) return "/usr/local";
  std::string path(exe.data(), static_cast<size_t>(n));
  for (int i = 0; i < 2; ++i) {
    const size_t slash = path.rfind('/');
    path = slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
  }
  return path;
}

}  // namespace zqhost

namespace {

// A path has at most this many characters.
constexpr size_t kMaxPath = 1024;

// Whether the current directory's full name has at most kMaxPath characters.
bool currentDirectoryFits() {
  char name[kMaxPath + 1];
  return getcwd(name, sizeof name) != nullptr || errno != ERANGE;
}

}  // namespace

extern "C" {

kpPath *kpLookupPath(const char *name) {
  static kpPath main{"ZelmarMainPath"};
  return std::strcmp(name, main.name.c_str()) == 0 ? &main : nullptr;
}

// An empty name when the directory cannot be named (it was removed, or
// its name does not fit in size bytes).
char *kpGetCWDName(kpPath *, char *buffer, int size) {
  if (getcwd(buffer, static_cast<size_t>(size)) == nullptr && size > 0) buffer[0] = '\0';
  return buffer;
}

// Changes the process's current directory, which is the manager's too. A
// directory whose full name would be longer than the 1024 characters a
// path may have is refused (and the old one kept), so that the current
// directory can always be named.
const char *kpSetCWDName(kpPath *, const char *dir) {
  static std::string error;
  const int previous = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  int failure = 0;
  if (chdir(dir) != 0) {
    failure = errno;
  } else if (!currentDirectoryFits()) {
    failure = ENAMETOOLONG;
    if (previous >= 0 && fchdir(previous) != 0) failure = errno;
  }
  if (previous >= 0) close(previous);
  if (failure == 0) return nullptr;
  error = std::string("Cannot change the current directory to '") + dir + "': " + std::strerror(failure) + ".";
  return error.c_str();
}

char *kpCombinePathName(char *buffer, const char *dir, const char *name) {
  std::string joined = dir;
  if (!joined.empty() && joined.back() != '/') joined += '/';
  joined += name;
  const size_t n = joined.size() < IO_PATH_BUFFER_SIZE ? joined.size() : IO_PATH_BUFFER_SIZE - 1;
  std::memcpy(buffer, joined.data(), n);
  buffer[n] = '\0';
  return buffer;
}

// The directory part of "/name" is "/"; of a bare name, empty.
const char *kpSeparatePathName(const char *path, char *dirBuffer) {
  const char *slash = std::strrchr(path, '/');
  if (dirBuffer != nullptr) {
    const size_t n = slash == nullptr ? 0 : slash == path ? 1 : static_cast<size_t>(slash - path);
    std::memcpy(dirBuffer, path, n);
    dirBuffer[n] = '\0';
  }
  return slash == nullptr ? path : slash + 1;
}

// The manager keeps no copy of any directory's contents (a name is looked
// up in the file system each time a file is opened), so a changed or
// deleted file needs no notice and a refresh has nothing to redo.
void kpSetFullnameChanged(kpPath *, const char *) {}

// The entry of a directory on the path (the current one or one of ZQPATH);
// null for any other directory.
kpDirEntry *kpFindDirFullName(kpPath *path, const char *dir) {
  if (path == nullptr || dir == nullptr) return nullptr;
  const std::string full = zqhost::absolutePath(dir);
  std::vector<std::string> onPath{zqhost::absolutePath(".")};
  for (const std::string &d : zqhost::searchPathDirectories()) onPath.push_back(zqhost::absolutePath(d));
  if (std::find(onPath.begin(), onPath.end(), full) == onPath.end()) return nullptr;
  static std::map<std::string, kpDirEntry> entries;  // nodes stay put: pointers to them stay valid
  return &entries.try_emplace(full, kpDirEntry{full}).first->second;
}

void kpRefreshDirectory(kpDirEntry *, int) {}

}  // extern "C"
