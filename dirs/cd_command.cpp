// cd and chdir: show, return or change the current directory. The change
// goes through the path manager, so that its current directory and the
// process's stay one.
#include "common/arguments.h"
#include "common/outputs.h"
#include "common/paths.h"
#include "dirs/handlers.h"
#include "host/ut.h"
#include "host/zqmpath.h"
#include "host/zqservices.h"

namespace zq::dirs {

// cd alone prints the directory between blank lines; d = cd returns it;
// cd(name) changes to name (a leading ~ expanded) and d = cd(name) returns
// the directory it left. A refused change raises the manager's text.
void cdHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 0, 1);
  char buffer[IO_PATH_BUFFER_SIZE];
  if (nlhs != 0) {
    common::Outputs(nlhs, plhs).set(0, common::stringResult(kpGetCWDName(common::mainPath(), buffer, sizeof buffer)));
  } else if (nrhs == 0) {
    utPrintf("\n%s\n\n", kpGetCWDName(common::mainPath(), buffer, sizeof buffer));
  }
  if (nrhs == 0) return;
  const common::HostText name = common::textArgument(prhs[0], QX_MSG_NOT_A_STRING);
  if (const char *error = kpSetCWDName(common::mainPath(), ioTildeExpansion(buffer, name.get()))) {
    qxErrorReturn(error);
  }
}

}  // namespace zq::dirs
