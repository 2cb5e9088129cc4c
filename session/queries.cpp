// Session queries that take no options: clock, cputime, computer,
// zelmarroot and getenv. Each is a few host calls.
#include <algorithm>
#include <cstdlib>

#include "common/arguments.h"
#include "common/outputs.h"
#include "host/ut.h"
#include "host/zqservices.h"
#include "session/handlers.h"

namespace zq::session {

using common::Outputs;

// clock: [year month day hour minute seconds] of the local time, the
// seconds with their fraction.
void clockHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 0, 0);
  double now[6];
  utWallClock(now);
  plhs[0] = common::created(qxCreateDoubleMatrix(1, 6, 0));
  std::copy_n(now, 6, qxGetPr(plhs[0]));
}

// cputime: seconds of processor time the session has used.
void cputimeHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 0, 0);
  plhs[0] = common::scalarResult(utCPUtime());
}

// [name, maxsize, endian] = computer: the platform's name, the largest
// number of elements an array may have, and its byte order ("B", big-endian
// first) as the interpreter has always reported them.
void computerHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *[]) {
  qxCheckNumArgs(nlhs, 3, nrhs, 0, 0);
  const Outputs out(nlhs, plhs);
  plhs[0] = common::stringResult("SOL2");
  if (out.wants(1)) {
    plhs[1] = common::created(qxOnes(1, 1));
    qxGetPr(plhs[1])[0] = 2147483647.0;
  }
  if (out.wants(2)) plhs[2] = common::stringResult("B");
}

// zelmarroot: the installation root directory.
void zelmarrootHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 0, 0);
  plhs[0] = common::stringResult(svZelmarRoot());
}

// getenv(name): the variable's value; an unset or empty variable gives a
// 0-by-0 char array.
void getenvHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 1, 1);
  const common::HostText name = common::textArgument(prhs[0], QX_MSG_NOT_A_STRING);
  const char *value = std::getenv(name.get());
  plhs[0] = value != nullptr && *value != '\0' ? common::stringResult(value) : common::emptyString();
}

}  // namespace zq::session
