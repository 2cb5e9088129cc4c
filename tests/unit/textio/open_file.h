// A file entered in the open-file table for the formatted-I/O tests, closed
// and removed again when the test is done.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

#include "builtins/zqbuiltins.h"
#include "fileio/file_table.h"
#include "host/ut.h"
#include "support/host_fixture.h"

namespace zqtest {

class OpenFile {
 public:
  OpenFile(const std::string &path, const char *permission) {
    registerBuiltins();
    fiInitStdIO();  // sets up fids 0-2 once; later calls change nothing
    zq::fileio::FileEntry &entry = zq::fileio::addEntry(zq::fileio::fileTable());
    entry.name = copy(path.c_str());
    entry.permission = copy(permission);
    entry.stream = std::fopen(path.c_str(), permission);
    entry_ = &entry;
    fid_ = Array(qxCreateScalarDouble(entry.fid));
  }
  ~OpenFile() {
    if (entry_->stream != nullptr) std::fclose(entry_->stream);
    zq::fileio::FileTable &table = zq::fileio::fileTable();
    zq::fileio::FileEntry *previous = table.head;
    while (previous->next != entry_) previous = previous->next;
    zq::fileio::removeEntry(table, previous, entry_);
  }
  zq::fileio::FileEntry &entry() { return *entry_; }
  const qxArray *fid() const { return fid_.get(); }

 private:
  static char *copy(const char *text) {
    char *p = static_cast<char *>(utCalloc(std::strlen(text) + 1, 1));
    std::strcpy(p, text);
    return p;
  }
  zq::fileio::FileEntry *entry_;
  Array fid_;
};

}  // namespace zqtest
