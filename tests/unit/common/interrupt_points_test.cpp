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

TEST(InterruptPoints, SayWhenTheHostIsDueToBeAsked) {
  InterruptPoints points;
  int due = 0;
  for (long long k = 0; k < 3 * InterruptPoints::kInterval; ++k) due += points.due() ? 1 : 0;
  EXPECT_EQ(due, 3);
  EXPECT_TRUE(points.due(InterruptPoints::kInterval));
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
