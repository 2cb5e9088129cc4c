// What a path names, as the directory commands list it.
#include "dirs/listing.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "dirs/name_list.h"
#include "host/qx.h"
#include "host/zqservices.h"

namespace zq::dirs {
namespace {

// path without the separators at its end ("/" stays).
std::string_view withoutTrailingSeparators(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return path;
}

}  // namespace

Listing listPath(const std::string &path, bool fileItself) {
  errno = 0;
  Listing found{common::UtBlock<char>(ioGetDirList(path.c_str(), 0))};
  const int reason = errno;
  if (found.names) {
    if (found.names.get()[0] == '\0') {
      found.names.reset();
      found.exists = true;
    }
    return found;
  }
  ioFileStatus status{};
  if (ioGetFileStatus(path.c_str(), &status) != 0) return found;
  if (status.isDir == 0) {
    if (fileItself) found.names = singleNameList(path);
    return found;
  }
  const std::string_view shown = withoutTrailingSeparators(path);
  qxWarningMsgTxt("Cannot read the directory '%.*s': %s.", static_cast<int>(shown.size()), shown.data(),
                  std::strerror(reason != 0 ? reason : EIO));
  return found;
}

}  // namespace zq::dirs
