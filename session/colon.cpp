// _colonobj: the range constructor behind every a:b and a:b:c.
#include <memory>

#include "host/qx.h"
#include "session/handlers.h"

namespace zq::session {
namespace {

// A double view of an input: the input itself, or a converted copy owned here.
class DoubleInput {
 public:
  explicit DoubleInput(qxArray *a) : array_(qxMustBe(a, QX_CLASS_DOUBLE)), owned_(array_ != a ? array_ : nullptr) {}
  ~DoubleInput() {
    if (owned_ != nullptr) qxDestroyArray(owned_);
  }
  DoubleInput(const DoubleInput &) = delete;
  DoubleInput &operator=(const DoubleInput &) = delete;

  bool empty() const { return array_ == nullptr || qxIsEmpty(array_); }
  double first() const { return qxGetPr(array_)[0]; }

 private:
  qxArray *array_;
  qxArray *owned_;
};

}  // namespace

void colonobjHandler(int, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  if (nrhs > 3) qxErrorReturn("Too many inputs for colon operator");
  if (nrhs < 2) qxErrMsg(QX_MSG_NOT_ENOUGH_INPUTS);
  const DoubleInput a(prhs[0]);
  const DoubleInput b(prhs[1]);
  const std::unique_ptr<DoubleInput> c = nrhs == 3 ? std::make_unique<DoubleInput>(prhs[2]) : nullptr;
  if (a.empty() || b.empty() || (c && c->empty())) {
    plhs[0] = qxCreateDoubleMatrix(1, 0, 0);
    return;
  }
  const double start = a.first();
  const double step = c ? b.first() : 1.0;
  const double stop = c ? c->first() : b.first();
  plhs[0] = qxCreateColonObj(start, step, stop);
}

}  // namespace zq::session
