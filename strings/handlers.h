// Builtin handlers of the string functions.
#pragma once

#include "host/qx.h"

namespace zq::strings {

// char, setstr, string: conversion to char and stacking into a padded matrix.
void charHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void setstrHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void stringHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

// isspace, isletter, upper, lower.
void isspaceHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void isletterHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void upperHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void lowerHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

// The comparison family: whether a count argument is taken (strncmp,
// strncmpi) and whether case is folded (strcmpi, strncmpi).
struct Comparison {
  bool counted;
  bool foldCase;
};
inline constexpr Comparison kStrcmp{false, false};
inline constexpr Comparison kStrcmpi{false, true};
inline constexpr Comparison kStrncmp{true, false};
inline constexpr Comparison kStrncmpi{true, true};

// Entry handler of one comparison builtin: reads its arguments and calls
// the one comparison engine.
template <Comparison C>
void compareEntry(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

// findstr, strfind, strrep.
void findstrHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void strfindHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);
void strrepHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]);

}  // namespace zq::strings
