// The session queries as a caller sees them: time, machine, environment,
// the bell, host features and the class tests.
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

TEST(SessionQueries, ComputerAnswersNameMaximumSizeAndByteOrder) {
  const auto r = call("computer", 3, {});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(zqtest::text(r.outputs[0].get()), "SOL2");
  EXPECT_EQ(scalar(r.outputs[1]), 2147483647.0);
  EXPECT_FALSE(qxIsLogical(r.outputs[1].get()));
  EXPECT_EQ(zqtest::text(r.outputs[2].get()), "B");
  // Only what is asked for is made.
  const auto one = call("computer", 0, {});
  EXPECT_EQ(zqtest::text(one.outputs[0].get()), "SOL2");
}

TEST(SessionQueries, QueriesWithoutInputsRefuseInputsAndExtraOutputs) {
  const Array x = num(1);
  for (const char *name : {"clock", "cputime", "computer", "zelmarroot"}) {
    EXPECT_EQ(call(name, 1, {x.get()}).error, "Too many input arguments.") << name;
  }
  EXPECT_EQ(call("clock", 2, {}).error, "Too many output arguments.");
  EXPECT_EQ(call("computer", 4, {}).error, "Too many output arguments.");
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

TEST(SessionQueries, GetenvGivesTheValueOrAnEmptyTextForUnsetAndEmptyVariables) {
  setenv("ZQ_TEST_SET", "some value", 1);
  setenv("ZQ_TEST_EMPTY", "", 1);
  unsetenv("ZQ_TEST_UNSET");
  const Array set = str("ZQ_TEST_SET"), empty = str("ZQ_TEST_EMPTY"), unset = str("ZQ_TEST_UNSET");
  EXPECT_EQ(zqtest::text(call("getenv", 1, {set.get()}).outputs[0].get()), "some value");
  for (const Array *name : {&empty, &unset}) {
    const auto r = call("getenv", 1, {name->get()});
    ASSERT_EQ(r.error, "");
    EXPECT_TRUE(qxIsChar(r.outputs[0].get()));
    EXPECT_EQ(qxGetM(r.outputs[0].get()), 0);
    EXPECT_EQ(qxGetN(r.outputs[0].get()), 0);
  }
  EXPECT_EQ(call("getenv", 1, {set.get(), set.get()}).error, "Too many input arguments.");
  EXPECT_EQ(call("getenv", 2, {set.get()}).error, "Too many output arguments.");
  // Only the char slot is registered: other classes never reach the handler.
  const Array n = num(3);
  EXPECT_EQ(call("getenv", 1, {n.get()}).error, "Undefined function 'getenv' for input arguments of type 'double'.");
}

TEST(SessionQueries, BeepSwitchesAndAnswersItsStateAndRingsOnlyWhenOn) {
  const Array on = str("on"), off = str("off");
  struct Step {
    int nlhs;
    const Array *state;  // null: beep without input
    const char *answer;  // expected output, or null
    const char *printed;
  };
  const Step steps[] = {
      {0, nullptr, nullptr, "\a"},  // starts on
      {1, &off, "off", ""},        {0, nullptr, nullptr, ""},   {1, nullptr, "off", ""},
      {0, &on, nullptr, ""},       {0, nullptr, nullptr, "\a"}, {1, nullptr, "on", ""},
  };
  for (const Step &s : steps) {
    zqtest::CallResult r;
    zqtest::StdoutCapture out;
    if (s.state != nullptr)
      r = call("beep", s.nlhs, {s.state->get()});
    else
      r = call("beep", s.nlhs, {});
    EXPECT_EQ(out.text(), s.printed);
    ASSERT_EQ(r.error, "");
    if (s.answer != nullptr)
      EXPECT_EQ(zqtest::text(r.outputs[0].get()), s.answer);
    else
      EXPECT_EQ(r.outputs[0], nullptr);
  }
}

TEST(SessionQueries, BeepRefusesOtherWordsAndNonTextLeavingTheStateAlone) {
  const Array upper = str("ON"), blank = str(""), number = num(1), on = str("on");
  ioSetBuzz(0);
  EXPECT_EQ(call("beep", 0, {upper.get()}).error, "Invalid option.");
  EXPECT_EQ(call("beep", 0, {blank.get()}).error, "Invalid option.");
  EXPECT_EQ(call("beep", 0, {number.get()}).error, "Undefined function 'beep' for input arguments of type 'double'.");
  EXPECT_EQ(ioGetBuzz(), 0);
  EXPECT_EQ(call("beep", 0, {on.get(), on.get()}).error, "Too many input arguments.");
  ioSetBuzz(1);
}

TEST(SessionQueries, FeatureReadsAndSetsAPlainRecord) {
  const Array name = str("DumpOnError");
  const Array three = num(3), minus = num(-7);
  EXPECT_EQ(scalar(call("feature", 1, {name.get()}).outputs[0]), 0);
  ASSERT_EQ(call("feature", 0, {name.get(), three.get()}).error, "");
  EXPECT_EQ(scalar(call("feature", 0, {name.get()}).outputs[0]), 3);
  ASSERT_EQ(call("feature", 0, {name.get(), minus.get()}).error, "");
  EXPECT_EQ(svFindFeatureEntry("DumpOnError")->value, -7);
  svFindFeatureEntry("DumpOnError")->value = 0;
}

TEST(SessionQueries, FeatureValuesMustBeIntegerValuedRealDoubleScalars) {
  const Array name = str("DumpOnError");
  const Array half = num(2.5), notANumber = num(NAN), pair = zqtest::row({1, 2}), text = str("1");
  const Array complexOne(qxCreateDoubleMatrix(1, 1, 1));
  qxGetPr(complexOne.get())[0] = 1;
  qxGetPi(complexOne.get())[0] = 1;
  const Array int32One(qxCreateNumericMatrix(1, 1, QX_CLASS_INT32, 0));
  for (const Array *bad : {&half, &notANumber, &pair, &text, &complexOne, &int32One}) {
    EXPECT_EQ(call("feature", 0, {name.get(), bad->get()}).error,
              "Feature value must be an integer-valued scalar double");
  }
  EXPECT_EQ(svFindFeatureEntry("DumpOnError")->value, 0);
  // Values beyond the int range saturate.
  const Array huge = num(1e300), minusInf = num(-INFINITY);
  ASSERT_EQ(call("feature", 0, {name.get(), huge.get()}).error, "");
  EXPECT_EQ(svFindFeatureEntry("DumpOnError")->value, INT_MAX);
  ASSERT_EQ(call("feature", 0, {name.get(), minusInf.get()}).error, "");
  EXPECT_EQ(svFindFeatureEntry("DumpOnError")->value, INT_MIN);
  svFindFeatureEntry("DumpOnError")->value = 0;
}

TEST(SessionQueries, FeatureRefusesBadNamesAndCounts) {
  const Array name = str("DumpOnError"), unknown = str("dumponerror"), one = num(1);
  EXPECT_EQ(call("feature", 0, {}).error, "Not enough input arguments.");
  EXPECT_EQ(call("feature", 0, {unknown.get()}).error, "An unknown feature was specified");
  EXPECT_EQ(call("feature", 2, {name.get()}).error, "Too many output arguments.");
  EXPECT_EQ(call("feature", 1, {name.get(), one.get()}).error, "Too many output arguments.");
  EXPECT_EQ(call("feature", 0, {name.get(), one.get(), one.get()}).error, "Too many input arguments.");
}

TEST(SessionQueries, WindowColumnsFixesTheWidthOverColumnsUntilResetToAutomatic) {
  const Array name = str("WindowColumns");
  setenv("COLUMNS", "80", 1);
  for (double value : {33.0, 0.0, 45.0, -2.0}) {
    const Array v = num(value);
    ASSERT_EQ(call("feature", 0, {name.get(), v.get()}).error, "");
    EXPECT_EQ(ioGetNumWindowColumns(), value > 0 ? static_cast<int>(value) : 80) << value;
    EXPECT_EQ(scalar(call("feature", 1, {name.get()}).outputs[0]), value);
  }
  const Array zero = num(0);
  call("feature", 0, {name.get(), zero.get()});
}

TEST(SessionQueries, FeaturesListsEveryFeatureNameSortedByByteValue) {
  const Array name = str("Features"), extra = num(1);
  const auto r = call("feature", 1, {name.get()});
  ASSERT_EQ(r.error, "");
  const qxArray *list = r.outputs[0].get();
  ASSERT_EQ(qxGetClassID(list), QX_CLASS_CELL);
  ASSERT_EQ(qxGetM(list), 3);
  ASSERT_EQ(qxGetN(list), 1);
  const char *expected[] = {"DumpOnError", "Features", "WindowColumns"};
  for (int k = 0; k < 3; ++k) EXPECT_EQ(zqtest::text(qxGetCell(list, k)), expected[k]);
  EXPECT_EQ(call("feature", 1, {name.get(), extra.get()}).error, "Too many input arguments.");
  EXPECT_EQ(call("feature", 2, {name.get()}).error, "Too many output arguments.");
}

TEST(SessionQueries, ClassTestsAnswerLogicalScalarsForEveryClass) {
  Array logical(qxCreateLogicalScalar(1));
  Array complexValue(qxCreateDoubleMatrix(1, 1, 1));
  Array sparse(qxCreateSparse(2, 2, 1, 0));
  Array cell(qxCreateCellMatrix(1, 1));
  Array int8(qxCreateNumericMatrix(1, 1, QX_CLASS_INT8, 0));
  Array global = num(1);
  qxSetScope(global.get(), QX_SCOPE_GLOBAL);
  const Array text = str("ab"), plain = num(1);
  struct Case {
    const char *what;
    const qxArray *value;
    bool isChar, isLogical, isSparse, isReal, isGlobal;
  };
  const Case cases[] = {
      {"char", text.get(), true, false, false, true, false},
      {"double", plain.get(), false, false, false, true, false},
      {"logical", logical.get(), false, true, false, true, false},
      {"complex", complexValue.get(), false, false, false, false, false},
      {"sparse", sparse.get(), false, false, true, true, false},
      {"cell", cell.get(), false, false, false, false, false},
      {"int8", int8.get(), false, false, false, true, false},
      {"global", global.get(), false, false, false, true, true},
  };
  for (const Case &c : cases) {
    const std::pair<const char *, bool> answers[] = {{"isstr", c.isChar},        {"ischar", c.isChar},
                                                     {"islogical", c.isLogical}, {"issparse", c.isSparse},
                                                     {"isreal", c.isReal},       {"isglobal", c.isGlobal}};
    for (const auto &[name, expected] : answers) {
      const auto r = call(name, 0, {c.value});
      ASSERT_EQ(r.error, "") << name << " of " << c.what;
      EXPECT_TRUE(qxIsLogical(r.outputs[0].get())) << name;
      EXPECT_EQ(scalar(r.outputs[0]), expected ? 1 : 0) << name << " of " << c.what;
    }
  }
  EXPECT_EQ(call("ischar", 1, {}).error, "Not enough input arguments.");
  EXPECT_EQ(call("isreal", 1, {plain.get(), plain.get()}).error, "Too many input arguments.");
  EXPECT_EQ(call("isglobal", 2, {plain.get()}).error, "Too many output arguments.");
}

}  // namespace
