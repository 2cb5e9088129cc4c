// Builtin handlers of the directory commands (cd, chdir, dir; delete is the
// exported bnFullDeleteFcn).
#pragma once

#include "host/qx.h"

namespace zq::dirs {

// cd and chdir.
void cdHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
// dir.
void dirHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

}  // namespace zq::dirs
