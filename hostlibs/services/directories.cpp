// libzqservices: directory listing and file status.
//
// A directory list is one block of NUL-terminated names ended by an empty
// name, in the order the system returns them (callers sort). A path whose
// last component holds a wildcard is matched as glob(3) matches it; the
// names listed are then the last components of the matches.
#include <dirent.h>
#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <span>
#include <string_view>
#include <system_error>
#include <thread>
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

// The status of name, relative to the directory open as dirFd (AT_FDCWD:
// the current directory), following symbolic links; a link that leads
// nowhere (or round in a loop) is described as itself. Times and sizes
// beyond 32 bits are held at the nearest 32-bit value.
bool statusAt(int dirFd, const char *name, ioFileStatus &status) {
  struct stat st {};
  if (::fstatat(dirFd, name, &st, 0) != 0 &&
      (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode))) {
    return false;
  }
  status.mtime = clampToInt32(st.st_mtime);
  status.isDir = S_ISDIR(st.st_mode) ? 1 : 0;
  status.size = clampToInt32(st.st_size);
  return true;
}

// name as a path relative to the directory: directory/name is the same
// file however many "/" begin name, and an empty name (or "/" alone)
// names the directory itself.
const char *withinDirectory(const char *name) {
  while (*name == '/') ++name;
  return *name == '\0' ? "." : name;
}

// Reads the statuses of names in one directory. The directory is opened
// once (for lookups only, which needs no permission to read it), so that
// each name costs the lookup of one component rather than of the whole
// path. When it cannot be opened (no descriptor left, say), each name is
// looked up by its joined path instead, which gives the same answers.
class StatusReader {
 public:
  explicit StatusReader(const char *directory)
      : directory_(directory),
        fd_(directory_.empty() ? AT_FDCWD : ::open(directory, O_PATH | O_DIRECTORY | O_CLOEXEC)) {}
  StatusReader(const StatusReader &) = delete;
  StatusReader &operator=(const StatusReader &) = delete;
  ~StatusReader() {
    if (fd_ >= 0) ::close(fd_);
  }

  bool read(const char *name, ioFileStatus &status) const {
    if (fd_ != -1) return statusAt(fd_, fd_ == AT_FDCWD ? name : withinDirectory(name), status);
    return joinedStatus(name, status);
  }

 private:
  // The status of directory/name, in a buffer of its own (no allocation:
  // this runs in the reading threads); a path too long for the system has
  // none.
  bool joinedStatus(const char *name, ioFileStatus &status) const {
    std::array<char, PATH_MAX> path;
    const std::string_view separator = directory_.back() == '/' ? "" : "/";
    const std::string_view rest = name;
    if (directory_.size() + separator.size() + rest.size() >= path.size()) return false;
    char *end = std::copy(directory_.begin(), directory_.end(), path.begin());
    end = std::copy(separator.begin(), separator.end(), end);
    *std::copy(rest.begin(), rest.end(), end) = '\0';
    return statusAt(AT_FDCWD, path.data(), status);
  }

  std::string_view directory_;
  int fd_;
};

// Lists shorter than this are read by the calling thread alone: a thread
// costs more to start than a few thousand lookups save.
constexpr size_t kParallelCount = 4096;
// The reading threads take the names in chunks of this many, so that a
// thread held up by other load on the machine leaves the rest to the other.
constexpr size_t kChunk = 256;

// Reads statuses[i] for names[i], taking chunks from next until there are
// none left; returns how many statuses were found.
size_t readChunks(const StatusReader &reader, std::span<const char *const> names, std::span<ioFileStatus> statuses,
                  std::atomic<size_t> &next) {
  size_t found = 0;
  for (size_t begin = next.fetch_add(kChunk); begin < names.size(); begin = next.fetch_add(kChunk)) {
    const size_t end = std::min(begin + kChunk, names.size());
    for (size_t i = begin; i < end; ++i) {
      if (reader.read(names[i], statuses[i])) {
        ++found;
      } else {
        statuses[i] = ioFileStatus{};
      }
    }
  }
  return found;
}

// Whether a second thread can help: a long list, and a second processor.
bool worthASecondThread(size_t count) { return count >= kParallelCount && std::thread::hardware_concurrency() > 1; }

}  // namespace

extern "C" {

// An empty path lists the current directory.
char *ioGetDirList(const char *path, int) {
  NameCollector names;
  const bool listed = isPattern(path) ? listMatches(path, names) : listDirectory(*path == '\0' ? "." : path, names);
  return listed ? names.block() : nullptr;
}

int ioGetFileStatus(const char *path, ioFileStatus *status) { return statusAt(AT_FDCWD, path, *status) ? 0 : -1; }

// Each status lands at its name's index, whichever thread reads it, so the
// result does not depend on how the work was shared.
size_t ioGetFileStatuses(const char *directory, const char *const *names, size_t count, ioFileStatus *statuses) {
  const StatusReader reader(directory);
  const std::span<const char *const> nameSpan(names, count);
  const std::span<ioFileStatus> statusSpan(statuses, count);
  std::atomic<size_t> next = 0;
  std::atomic<size_t> foundByHelper = 0;
  std::jthread helper;
  if (worthASecondThread(count)) {
    try {
      helper = std::jthread([&] { foundByHelper = readChunks(reader, nameSpan, statusSpan, next); });
    } catch (const std::system_error &) {
      // No thread to be had: this one reads them all.
    } catch (const std::bad_alloc &) {
      // Nor memory for its state: the same.
    }
  }
  const size_t found = readChunks(reader, nameSpan, statusSpan, next);
  if (helper.joinable()) helper.join();
  return found + foundByHelper;
}

}  // extern "C"
