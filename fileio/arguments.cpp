// Argument checks of the file operations.
#include "fileio/arguments.h"

#include <cerrno>
#include <cstring>

#include "common/arguments.h"
#include "host/ut.h"

namespace zq::fileio {

namespace {

// The short names of the machine formats: a letter for each, and "native".
// kNative stands for the host's native format.
constexpr int kNative = -1;
struct FormatName {
  const char *name;
  int format;
};
constexpr FormatName kFormatNames[] = {
    {"n", kNative}, {"native", kNative}, {"l", 0}, {"b", 1}, {"d", 2}, {"g", 3}, {"c", 4}, {"a", 5}, {"s", 6}};

}  // namespace

// A short name, or one of the host's own format names ("ieee-le", ...).
int machineFormatIndex(char *text) {
  const int invalid = utGetNumDataSizeTypes() - 1;
  utLowerCase(text);
  if (const FormatName *shortName = common::findOption<FormatName>(text, kFormatNames)) {
    return shortName->format == kNative ? utGetDataSizeType() : shortName->format;
  }
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

bool isReadOnlyPermission(const FileEntry &entry) {
  return entry.permission != nullptr && entry.permission[0] == 'r' && !permissionHasAny(entry, "+");
}

void clearErrno() { errno = 0; }

}  // namespace zq::fileio
