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

// Session queries: time, machine, environment and the bell.
void clockHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void cputimeHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void computerHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void zelmarrootHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void getenvHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void beepHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void featureHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

// The class and scope tests: one logical answer about one value.
enum class ClassTest { Char, Logical, Sparse, Real, Global };
template <ClassTest Test>
void classTestHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

// warning, and the two last-message records that lasterr and lastwarn
// read and replace.
void warningHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
enum class LastMessage { Error, Warning };
template <LastMessage Record>
void lastMessageHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

}  // namespace zq::session
