// What a path names, as the directory commands list it.
#pragma once

#include <string>

#include "common/owned.h"

namespace zq::dirs {

struct Listing {
  // The names found (a list whose first name is not empty), or null.
  common::UtBlock<char> names;
  // Whether the path names something even without names: an empty
  // directory. One that cannot be read has no list to show, and counts
  // as not found after its warning.
  bool exists = false;
};

// The entries of the directory path or the matches of the pattern path;
// with fileItself, a path that names a file is listed as that one name. A
// directory that exists but cannot be read is warned about, with the
// reason.
Listing listPath(const std::string &path, bool fileItself);

}  // namespace zq::dirs
