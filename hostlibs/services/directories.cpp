// libzqservices: directory listing and file status.
//
// A directory list is one block of NUL-terminated names ended by an empty
// name, in the order the system returns them (callers sort). A path whose
// last component holds a wildcard is matched as glob(3) matches it; the
// names listed are then the last components of the matches.
#include <dirent.h>
#include <glob.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "host/ut.h"
#include "host/zqservices.h"

namespace {

// What follows the last '/' of path (all of it when there is none).
std::string_view lastComponent(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool isDotOrDotDot(std::string_view name) { return name == "." || name == ".."; }

bool isPattern(std::string_view path) { return lastComponent(path).find_first_of("*?[") != std::string_view::npos; }

// Names collected one after another, each with its NUL.
class NameCollector {
 public:
  void add(std::string_view name) {
    bytes_.insert(bytes_.end(), name.begin(), name.end());
    bytes_.push_back('\0');
  }
  // The list as a block from utMalloc, ended by an empty name; a second
  // NUL after it lets a reader step past an empty first name safely.
  char *block() {
    bytes_.push_back('\0');
    bytes_.push_back('\0');
    auto *list = static_cast<char *>(utMalloc(bytes_.size()));
    if (list != nullptr) std::memcpy(list, bytes_.data(), bytes_.size());
    return list;
  }

 private:
  std::vector<char> bytes_;
};

// The entries of directory dir, without "." and "..".
bool listDirectory(const char *dir, NameCollector &names) {
  DIR *d = opendir(dir);
  if (d == nullptr) return false;
  while (const dirent *e = readdir(d)) {
    const std::string_view name = e->d_name;
    if (!isDotOrDotDot(name)) names.add(name);
  }
  closedir(d);
  return true;
}

// The last components of the matches of pattern, without "." and ".."
// (which are no entries); false when nothing matches or the search fails.
// A leading dot must be matched by a dot.
bool listMatches(const char *pattern, NameCollector &names) {
  glob_t found{};
  bool matched = false;
  if (glob(pattern, GLOB_NOSORT, nullptr, &found) == 0) {
    for (size_t i = 0; i < found.gl_pathc; ++i) {
      const std::string_view name = lastComponent(found.gl_pathv[i]);
      if (isDotOrDotDot(name)) continue;
      names.add(name);
      matched = true;
    }
  }
  globfree(&found);
  return matched;
}

int32_t clampToInt32(long long value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace

extern "C" {

// An empty path lists the current directory.
char *ioGetDirList(const char *path, int) {
  NameCollector names;
  const bool listed = isPattern(path) ? listMatches(path, names) : listDirectory(*path == '\0' ? "." : path, names);
  return listed ? names.block() : nullptr;
}

// The status of what path names, following symbolic links; a link that
// leads nowhere (or round in a loop) is described as itself. Times and
// sizes beyond 32 bits are held at the nearest 32-bit value.
int ioGetFileStatus(const char *path, ioFileStatus *status) {
  struct stat st {};
  if (::stat(path, &st) != 0 && (::lstat(path, &st) != 0 || !S_ISLNK(st.st_mode))) return -1;
  status->mtime = clampToInt32(st.st_mtime);
  status->isDir = S_ISDIR(st.st_mode) ? 1 : 0;
  status->size = clampToInt32(st.st_size);
  return 0;
}

}  // extern "C"
