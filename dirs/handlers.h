// Builtin handlers of the directory commands (cd, chdir, dir; delete is bnFullDeleteFcn).
#pragma once

#include "host/qx.h"

namespace zq::dirs {

void cdHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void dirHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

}  // namespace zq::dirs
