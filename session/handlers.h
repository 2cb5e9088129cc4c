// Builtin handlers of the type and session functions.
#pragma once

#include "host/qx.h"

namespace zq::session {

void colonobjHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

}  // namespace zq::session
