// Builtin handlers of the type and session functions.
#pragma once

#include "host/qx.h"

namespace zq::session {

void colonobjHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

// double, single and the integer classes: the handler of the class whose
// class code is TargetCode and whose public class identifier is ClassId.
template <int TargetCode, int ClassId>
void conversionEntry(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

void func2strHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void functionsHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void str2funcHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

}  // namespace zq::session
