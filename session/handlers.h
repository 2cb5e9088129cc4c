// Builtin handlers of the type and session functions.
#pragma once

#include "host/qx.h"

namespace zq::session {

void doubleHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void singleHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void uint8Handler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void uint16Handler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void uint32Handler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void int8Handler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void int16Handler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void int32Handler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void func2strHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void functionsHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void str2funcHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void clockHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void cputimeHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void getenvHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void computerHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void zelmarrootHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void beepHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void featureHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void ischarHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void isglobalHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void islogicalHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void issparseHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void isrealHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void colonobjHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void warningHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void lasterrHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void lastwarnHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

}  // namespace zq::session
