// delete: removes each named file in order and tells the path manager of
// the change, so that a deleted program file stops being found on the path.
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string_view>

#include "builtins/zqbuiltins.h"
#include "common/arguments.h"
#include "common/paths.h"
#include "host/zqmpath.h"

namespace zq::dirs {
namespace {

// The part of name after whichever of its last "/" and last ":" comes later.
std::string_view baseName(std::string_view name) {
  const size_t separator = name.find_last_of("/:");
  return separator == std::string_view::npos ? name : name.substr(separator + 1);
}

// Removes one file, used as named: no wildcards, no tilde, no search along
// the path. "." and ".." are passed over. A name that cannot be removed (it
// is missing or protected, or names a directory) is warned about.
void deleteFile(const char *name) {
  const std::string_view base = baseName(name);
  if (base == "." || base == "..") return;
  if (std::strlen(name) > common::kMaxPathLength) common::pathTooLong();
  kpPath *path = common::mainPath();
  if (unlink(name) != 0) {
    qxWarningMsgTxt("File not found or permission denied");
    kpSetFullnameChanged(path, name);
    return;
  }
  kpSetFullnameChanged(path, name);
  // The directory the file was in (the current one for a bare name) is
  // rescanned by the manager.
  char directory[common::kMaxPathLength + 1];
  kpSeparatePathName(name, directory);
  if (directory[0] == '\0') kpGetCWDName(path, directory, sizeof directory);
  kpRefreshDirectory(kpFindDirFullName(path, directory), 2);
}

}  // namespace
}  // namespace zq::dirs

extern "C" void bnFullDeleteFcn(int nlhs, qxArray *[], int nrhs, qxArray *prhs[]) {
  using namespace zq;
  qxCheckNumArgs(nlhs, 0, nrhs, 1, INT_MAX);
  for (int k = 0; k < nrhs; ++k) {
    const common::HostText name = common::textArgument(prhs[k], QX_MSG_NOT_A_STRING);
    dirs::deleteFile(name.get());
  }
}
