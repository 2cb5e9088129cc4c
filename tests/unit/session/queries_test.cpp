// What the golden scripts cannot show of the session queries: the time
// readings, the installation root without ZQROOT, and feature values at the
// edges of the integer check. The rest is in tests/golden/session_*.zq.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/zqservices.h"
#include "support/host_fixture.h"

namespace {

using zqtest::Array;
using zqtest::call;
using zqtest::num;
using zqtest::str;

double scalar(const Array &a) { return qxGetPr(a.get())[0]; }

TEST(SessionQueries, ClockIsTheLocalDateAndTimeWithFractionalSeconds) {
  const auto r = call("clock", 1, {});
  ASSERT_EQ(r.error, "");
  const qxArray *c = r.outputs[0].get();
  ASSERT_EQ(qxGetM(c), 1);
  ASSERT_EQ(qxGetN(c), 6);
  const double *v = qxGetPr(c);
  EXPECT_GE(v[0], 2024);
  EXPECT_TRUE(v[1] >= 1 && v[1] <= 12);
  EXPECT_TRUE(v[2] >= 1 && v[2] <= 31);
  EXPECT_TRUE(v[3] >= 0 && v[3] < 24);
  EXPECT_TRUE(v[4] >= 0 && v[4] < 60);
  EXPECT_TRUE(v[5] >= 0 && v[5] < 61);
  // Whole seconds come one at a time, fractions many times a second: two
  // readings a few milliseconds apart differ in the seconds.
  usleep(5000);
  const auto later = call("clock", 1, {});
  EXPECT_NE(qxGetPr(later.outputs[0].get())[5], v[5]);
}

TEST(SessionQueries, CputimeGrowsWithTheWorkDone) {
  const double before = scalar(call("cputime", 1, {}).outputs[0]);
  volatile double sink = 0;
  for (int k = 0; k < 30000000; ++k) sink = sink + std::sqrt(static_cast<double>(k));
  const double after = scalar(call("cputime", 0, {}).outputs[0]);
  EXPECT_GE(before, 0);
  EXPECT_GT(after, before);
}

TEST(SessionQueries, ZelmarrootIsZqrootElseTheInstallationPrefix) {
  setenv("ZQROOT", "/opt/zq-test-root", 1);
  EXPECT_EQ(zqtest::text(call("zelmarroot", 1, {}).outputs[0].get()), "/opt/zq-test-root");
  unsetenv("ZQROOT");
  // The prefix of the running program: the directory above its bin/.
  std::vector<char> exe(4096, '\0');
  ASSERT_GT(readlink("/proc/self/exe", exe.data(), exe.size() - 1), 0);
  std::string prefix = exe.data();
  prefix = prefix.substr(0, prefix.rfind('/'));
  prefix = prefix.substr(0, prefix.rfind('/'));
  EXPECT_EQ(zqtest::text(call("zelmarroot", 1, {}).outputs[0].get()), prefix);
}

TEST(SessionQueries, FeatureValuesMustBeIntegerValuedDoubleScalars) {
  const Array name = str("DumpOnError");
  const Array half = num(2.5), notANumber = num(NAN), pair = zqtest::row({1, 2}), text = str("1");
  const Array complexOne(qxCreateDoubleMatrix(1, 1, 1));
  qxGetPr(complexOne.get())[0] = 1;
  qxGetPi(complexOne.get())[0] = 1;
  const Array int32One(qxCreateNumericMatrix(1, 1, QX_CLASS_INT32, 0));
  for (const Array *bad : {&half, &notANumber, &pair, &text, &int32One}) {
    EXPECT_EQ(call("feature", 0, {name.get(), bad->get()}).error,
              "Feature value must be an integer-valued scalar double");
  }
  EXPECT_EQ(svFindFeatureEntry("DumpOnError")->value, 0);
  // Only the real part of a complex value counts.
  ASSERT_EQ(call("feature", 0, {name.get(), complexOne.get()}).error, "");
  EXPECT_EQ(svFindFeatureEntry("DumpOnError")->value, 1);
  // Values beyond the int range saturate.
  const Array huge = num(1e300), minusInf = num(-INFINITY);
  ASSERT_EQ(call("feature", 0, {name.get(), huge.get()}).error, "");
  EXPECT_EQ(svFindFeatureEntry("DumpOnError")->value, INT_MAX);
  ASSERT_EQ(call("feature", 0, {name.get(), minusInf.get()}).error, "");
  EXPECT_EQ(svFindFeatureEntry("DumpOnError")->value, INT_MIN);
  svFindFeatureEntry("DumpOnError")->value = 0;
}

}  // namespace
