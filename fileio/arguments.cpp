// Argument checks of the file operations.
#include "fileio/arguments.h"

#include <cerrno>
#include <cstring>

#include "common/arguments.h"
#include "host/ut.h"

namespace zq::fileio {

// "" is invalid; one letter of "nlbdgcas" names the native format or
// formats 0 to 6; "native" or a host format name names itself.
int machineFormatIndex(char *text) {
  constexpr const char kLetters[] = "nlbdgcas";
  const int invalid = utGetNumDataSizeTypes() - 1;
  utLowerCase(text);
  if (text[0] == '\0') return invalid;
  if (text[1] == '\0') {
    const char *letter = std::strchr(kLetters, text[0]);
    if (letter == nullptr) return invalid;
    return letter == kLetters ? utGetDataSizeType() : static_cast<int>(letter - kLetters) - 1;
  }
  if (std::strcmp(text, "native") == 0) return utGetDataSizeType();
  for (int i = 0; i < invalid; ++i) {
    if (std::strcmp(text, utGetDataSizeTypeName(i)) == 0) return i;
  }
  return invalid;
}

int formatArgument(const qxArray *a) {
  common::HostText t = common::textArgument(a, QX_MSG_INVALID_MACHINE_FORMAT);
  const int format = machineFormatIndex(t.get());
  if (format == utGetNumDataSizeTypes() - 1) qxErrMsg(QX_MSG_INVALID_MACHINE_FORMAT);
  return format;
}

int nonNegativeFid(const qxArray *a) {
  const int fid = common::integerArgument(a);
  if (fid < 0) qxErrMsg(QX_MSG_INVALID_FID);
  return fid;
}

int readableFid(const qxArray *fidArgument) {
  const int fid = nonNegativeFid(fidArgument);
  if (fid == 0) qxErrMsg(QX_MSG_STDIN_REFUSED);
  return fid;
}

bool isReadPermission(const char *permission) {
  return std::strcmp(permission, "r") == 0 || std::strcmp(permission, "rb") == 0 || std::strcmp(permission, "rt") == 0;
}

bool permissionHasAny(const FileEntry &entry, const char *letters) {
  return entry.permission != nullptr && std::strpbrk(entry.permission, letters) != nullptr;
}

void clearErrno() { errno = 0; }

}  // namespace zq::fileio
