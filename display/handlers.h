// Builtin handlers of the value display (format, display, disp).
#pragma once

#include "host/qx.h"

namespace zq::display {

void formatHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void numericDisplayHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void cellDisplayHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void structDisplayHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void opaqueDisplayHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

}  // namespace zq::display
