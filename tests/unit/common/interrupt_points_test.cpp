// The interrupt points of long loops: the host is asked once per interval,
// and the interrupt leaves after the caller's last words.
#include "common/interrupt_points.h"

#include <gtest/gtest.h>

#include "zqhost/host.h"

namespace zq::common {
namespace {

TEST(InterruptPoints, AskTheHostOncePerIntervalOfWork) {
  InterruptPoints points;
  zqhost::requestInterrupt();
  for (long long k = 1; k < InterruptPoints::kInterval; ++k) points.pass();
  EXPECT_TRUE(zqhost::interruptPending());
  EXPECT_THROW(points.pass(), zqhost::Interrupt);
  EXPECT_FALSE(zqhost::interruptPending());
  // Work counted in large steps is asked about at every step.
  zqhost::requestInterrupt();
  EXPECT_THROW(points.pass(InterruptPoints::kInterval * 3), zqhost::Interrupt);
}

TEST(InterruptPoints, RunTheLastWordsOnlyWhenLeaving) {
  InterruptPoints points;
  int flushed = 0;
  points.pass(InterruptPoints::kInterval, [&] { ++flushed; });
  EXPECT_EQ(flushed, 0);
  zqhost::requestInterrupt();
  EXPECT_THROW(points.pass(InterruptPoints::kInterval, [&] { ++flushed; }), zqhost::Interrupt);
  EXPECT_EQ(flushed, 1);
}

TEST(InterruptPoints, DisabledInterruptsStayPending) {
  InterruptPoints points;
  const uint8_t previous = utSetInterruptEnabled(0);
  zqhost::requestInterrupt();
  EXPECT_NO_THROW(points.pass(InterruptPoints::kInterval));
  EXPECT_TRUE(zqhost::interruptPending());
  utSetInterruptEnabled(previous);
  zqhost::clearInterrupt();
}

}  // namespace
}  // namespace zq::common
