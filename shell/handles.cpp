// Closures: what a handle made by "@(a, b) EXPR" holds.
#include "shell/handles.h"

#include <typeinfo>
#include <utility>

namespace zq::shell {

Closure::Closure(std::shared_ptr<const AnonymousBody> body, std::vector<Captured> captured)
    : body_(std::move(body)), captured_(std::move(captured)) {}

// A structure with a field per captured variable, in order of first use;
// null when the host has no memory for it.
qxArray *Closure::workspace() const {
  std::vector<const char *> names;
  for (size_t k = 0; k < captured_.size(); ++k) {
    if (captured_[k].defined) names.push_back(body_->symbols->name(body_->names[k]).c_str());
  }
  qxArray *s = qxCreateStructMatrix(1, 1, static_cast<int>(names.size()), names.data());
  if (s == nullptr) return nullptr;
  int field = 0;
  try {
    for (const Captured &c : captured_) {
      if (c.defined) qxSetFieldByNumber(s, 0, field++, qxDuplicateArray(c.value.array()));
    }
  } catch (const zqhost::Error &) {
    qxDestroyArray(s);  // out of memory for a scalar's array
    return nullptr;
  }
  return s;
}

const Closure *closureOf(const Value &handle) {
  if (handle.isScalar()) return nullptr;
  const zqhost::AnonymousFunction *fn = zqhost::anonymousFunctionOf(handle.array());
  // The shell makes every anonymous function the host holds.
  return fn != nullptr && typeid(*fn) == typeid(Closure) ? static_cast<const Closure *>(fn) : nullptr;
}

Value handleValue(std::shared_ptr<const Closure> fn) {
  const int dims[2] = {1, 1};
  Value v = Value::adopt(qxCreateNumericArray(2, dims, QX_CLASS_FUNCTION, 0));
  zqhost::setAnonymousFunction(qxGetData(v.array()), std::move(fn));
  return v;
}

}  // namespace zq::shell
