// Builtin handlers of the string functions.
#pragma once

#include "host/qx.h"

namespace zq::strings {

void charHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void setstrHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void stringHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void isspaceHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void isletterHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void upperHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void lowerHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void strcmpHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void strcmpiHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void strncmpHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void strncmpiHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void findstrHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void strfindHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void strrepHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

}  // namespace zq::strings
