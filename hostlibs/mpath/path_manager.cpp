// libzqmpath: the current directory and the search path. The manager keeps
// no cache of directory contents, so a change notice needs no work.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
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

extern "C" {

kpPath *kpLookupPath(const char *name) {
  static kpPath main{"ZelmarMainPath"};
  return std::strcmp(name, main.name.c_str()) == 0 ? &main : nullptr;
}

char *kpGetCWDName(kpPath *, char *buffer, int size) {
  if (getcwd(buffer, static_cast<size_t>(size)) == nullptr && size > 0) buffer[0] = '\0';
  return buffer;
}

const char *kpSetCWDName(kpPath *, const char *dir) {
  static std::string error;
  if (chdir(dir) == 0) return nullptr;
  error = std::string("Cannot change the current directory to '") + dir + "': " + std::strerror(errno) + ".";
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

const char *kpSeparatePathName(const char *path, char *dirBuffer) {
  const char *slash = std::strrchr(path, '/');
  if (dirBuffer != nullptr) {
    const size_t n = slash == nullptr ? 0 : static_cast<size_t>(slash - path);
    std::memcpy(dirBuffer, path, n);
    dirBuffer[n] = '\0';
  }
  return slash == nullptr ? path : slash + 1;
}

void kpSetFullnameChanged(kpPath *, const char *) {}

kpDirEntry *kpFindDirFullName(kpPath *, const char *dir) {
  static kpDirEntry entry;
  entry.dir = dir;
  return &entry;
}

void kpRefreshDirectory(kpDirEntry *, int) {}

}  // extern "C"
