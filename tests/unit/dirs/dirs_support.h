// Scratch directories for the directory-command tests: a tree of files
// made on demand, the current directory put back afterwards, and the
// names of a host name list.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "fileio/scratch_files.h"
#include "host/ut.h"

namespace zqtest {

// A scratch directory whose files and subdirectories are made by name.
class ScratchTree : public ScratchDir {
 public:
  ScratchTree() = default;
  ScratchTree(const ScratchTree &) = delete;
  ScratchTree &operator=(const ScratchTree &) = delete;
  ~ScratchTree() {
    for (const std::string &dir : locked_) chmod(dir.c_str(), 0755);
  }
  // The directory itself, without a "/" at the end.
  std::string root() const {
    std::string dir = file("");
    dir.pop_back();
    return dir;
  }
  ScratchTree &makeFile(const std::string &name, const std::string &bytes = "") {
    std::ofstream(file(name), std::ios::binary) << bytes;
    return *this;
  }
  // A directory; with mode 0 it is locked to all but root, and the tree
  // itself is opened to other users, so that the lock is what keeps them out.
  ScratchTree &makeDir(const std::string &name, mode_t mode = 0755) {
    mkdir(file(name).c_str(), 0755);
    if (mode != 0755) {
      chmod(root().c_str(), 0755);
      chmod(file(name).c_str(), mode);
      locked_.push_back(file(name));
    }
    return *this;
  }
  ScratchTree &makeLink(const std::string &name, const std::string &target) {
    if (symlink(target.c_str(), file(name).c_str()) != 0) ADD_FAILURE() << "symlink " << name;
    return *this;
  }
  // Sets the modification time of name (a link itself, not its target).
  ScratchTree &setTime(const std::string &name, std::time_t when) {
    const timespec times[2] = {{when, 0}, {when, 0}};
    utimensat(AT_FDCWD, file(name).c_str(), times, AT_SYMLINK_NOFOLLOW);
    return *this;
  }

 private:
  std::vector<std::string> locked_;
};

// Puts the current directory back when it goes.
class KeepCurrentDirectory {
 public:
  KeepCurrentDirectory() : fd_(open(".", O_PATH | O_DIRECTORY)) {}
  ~KeepCurrentDirectory() {
    if (fchdir(fd_) != 0) ADD_FAILURE() << "could not return to the current directory";
    close(fd_);
  }

 private:
  int fd_;
};

// Sets an environment variable while it lives.
class ScopedEnv {
 public:
  ScopedEnv(const char *name, const std::string &value) : name_(name) {
    if (const char *old = std::getenv(name)) old_ = old, had_ = true;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char *name_;
  std::string old_;
  bool had_ = false;
};

// Runs check in a child process as an unprivileged user (root may read and
// enter everything); the test fails unless check returns true.
template <typename Check>
void expectAsUnprivilegedUser(Check check) {
  EXPECT_EXIT(
      {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        _exit(check() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// The names of a name list in list order (an empty first name: none), and
// the list freed.
inline std::vector<std::string> namesOf(char *list) {
  std::vector<std::string> names;
  for (const char *p = list; p != nullptr && *p != '\0'; p += std::string(p).size() + 1) names.emplace_back(p);
  utFree(list);
  return names;
}

inline std::set<std::string> nameSet(char *list) {
  const std::vector<std::string> names = namesOf(list);
  return {names.begin(), names.end()};
}

}  // namespace zqtest
