// The entry handlers of the file-I/O builtins, one per operation of fiFcn.
#pragma once

#include "fileio/request.h"
#include "host/qx.h"

namespace zq::builtins {

// Entry handler of file-I/O operation Op: re-arms the conversion warning and
// calls fiFcn.
template <int Op>
void fileIoEntry(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

}  // namespace zq::builtins
