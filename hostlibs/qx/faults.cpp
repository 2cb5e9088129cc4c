// The counters behind failure injection (test builds only).
#include "zqhost/faults.h"

#if defined(ZQ_FAULT_INJECTION)
namespace zqhost::faults {
namespace {

struct Plan {
  long failAt = 0;
  long calls = 0;
  bool fired = false;
};
Plan plans[2];

Plan &planOf(Kind kind) { return plans[kind == Kind::kAllocation ? 0 : 1]; }

}  // namespace

void failAt(Kind kind, long n) { planOf(kind) = Plan{n, 0, false}; }

bool due(Kind kind) {
  Plan &plan = planOf(kind);
  if (++plan.calls != plan.failAt) return false;
  plan.fired = true;
  return true;
}

long calls(Kind kind) { return planOf(kind).calls; }
bool fired(Kind kind) { return planOf(kind).fired; }

}  // namespace zqhost::faults
#endif
