// _colonobj: the range constructor behind every a:b and a:b:c.
#include <memory>
#include <optional>

#include "common/outputs.h"
#include "common/owned.h"
#include "host/qx.h"
#include "session/handlers.h"

namespace zq::session {
namespace {

// The first element of an input seen as double, or nothing when it is empty
// (or the host could make no double copy of it).
std::optional<double> firstOf(const common::AsClass &input) {
  const qxArray *a = input.get();
  if (a == nullptr || qxIsEmpty(a)) return std::nullopt;
  return qxGetPr(a)[0];
}

}  // namespace

void colonobjHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  if (nrhs > 3) qxErrorReturn("Too many inputs for colon operator");
  if (nrhs < 2) qxErrMsg(QX_MSG_NOT_ENOUGH_INPUTS);
  common::Outputs out(nlhs, plhs);
  // Every input is converted before any is read; the copies go when the
  // handler returns.
  const common::AsClass a(prhs[0], QX_CLASS_DOUBLE);
  const common::AsClass b(prhs[1], QX_CLASS_DOUBLE);
  const auto c = nrhs == 3 ? std::make_unique<common::AsClass>(prhs[2], QX_CLASS_DOUBLE) : nullptr;
  const std::optional<double> first = firstOf(a), second = firstOf(b);
  const std::optional<double> third = c ? firstOf(*c) : std::nullopt;
  if (!first || !second || (c && !third)) {
    out.set(0, qxCreateDoubleMatrix(1, 0, 0));
    return;
  }
  const double step = c ? *second : 1.0;
  const double stop = c ? *third : *second;
  out.set(0, qxCreateColonObj(*first, step, stop));
}

}  // namespace zq::session
