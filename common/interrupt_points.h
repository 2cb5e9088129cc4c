// Letting the user's interrupt (Ctrl-C) out of long loops: formatted and
// binary transfers count their work and ask the host once per interval,
// since the host's check is a call across libraries, too dear per value.
// The host's check leaves through an exception when the user has
// interrupted (and interrupts are enabled).
#pragma once

#include "host/ut.h"

namespace zq::common {

class InterruptPoints {
 public:
  // Units of work (values, directives, pieces of text) between two checks.
  static constexpr long long kInterval = 4096;

  // Counts n units done; true at the end of each interval, when the host
  // is to be asked. The caller keeps the asking out of its hot path.
  bool due(long long n = 1) {
    if ((left_ -= n) > 0) [[likely]]
      return false;
    left_ = kInterval;
    return true;
  }

  // Counts n units done; at the end of each interval asks the host.
  void pass(long long n = 1) {
    if (due(n)) [[unlikely]]
      utLongjmpIfInterruptPending();
  }

 private:
  long long left_ = kInterval;
};

}  // namespace zq::common
