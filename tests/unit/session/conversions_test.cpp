// double, single and the integer classes as builtins: which class comes
// back, where each class rounds and saturates, what shares its data, and
// what cannot be converted.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "host/qx.h"
#include "support/host_fixture.h"

namespace {

using zqtest::Array;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The elements of a numeric array as doubles.
std::vector<double> valuesOf(const qxArray *a) {
  std::vector<double> out(static_cast<size_t>(qxGetNumberOfElements(a)));
  qxConvertBufferToType(out.data(), QX_CLASS_DOUBLE, qxGetData(a), qxGetClassID(a), static_cast<int>(out.size()));
  return out;
}

struct Limits {
  const char *name;
  int classId;
  double low, high;
};

// Every integer class at and around its limits: half-way values round away
// from zero, anything beyond the range (infinities too) saturates, NaN is 0.
TEST(Conversion, IntegerClassesRoundHalfAwayAndSaturate) {
  const Limits classes[] = {
      {"int8", QX_CLASS_INT8, -128, 127},
      {"uint8", QX_CLASS_UINT8, 0, 255},
      {"int16", QX_CLASS_INT16, -32768, 32767},
      {"uint16", QX_CLASS_UINT16, 0, 65535},
      {"int32", QX_CLASS_INT32, -2147483648.0, 2147483647.0},
      {"uint32", QX_CLASS_UINT32, 0, 4294967295.0},
  };
  for (const Limits &c : classes) {
    const std::vector<double> in = {c.low - 0.5, c.low - 0.49, c.low + 0.5, c.high - 0.5, c.high + 0.49, c.high + 0.5,
                                    c.high * 4,  -kInf,        kInf,        kNaN,         2.5,           -2.5};
    Array source(qxCreateDoubleMatrix(1, static_cast<int>(in.size()), 0));
    std::copy(in.begin(), in.end(), qxGetPr(source.get()));
    const zqtest::CallResult r = zqtest::call(c.name, 1, {source.get()});
    ASSERT_EQ(r.error, "") << c.name;
    const qxArray *out = r.outputs[0].get();
    EXPECT_EQ(qxGetClassID(out), c.classId) << c.name;
    EXPECT_STREQ(qxGetClassName(out), c.name);
    // Half-way values go away from zero: low + 0.5 to low in a signed class
    // and to 1 in an unsigned one; -2.5 to -3, or to 0 where that is the low end.
    const bool sign = c.low < 0;
    const std::vector<double> want = {c.low,  c.low, sign ? c.low : 1, c.high, c.high, c.high,
                                      c.high, c.low, c.high,           0,      3,      sign ? -3.0 : 0.0};
    EXPECT_EQ(valuesOf(out), want) << c.name;
  }
}

TEST(Conversion, SingleRoundsToNearestAndKeepsSpecialValues) {
  Array source = zqtest::row({0.1, 1e39, -1e39, kNaN, 16777217});
  const zqtest::CallResult r = zqtest::call("single", 1, {source.get()});
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(qxGetClassID(r.outputs[0].get()), QX_CLASS_SINGLE);
  const auto *f = static_cast<const float *>(qxGetData(r.outputs[0].get()));
  EXPECT_EQ(f[0], 0.1f);
  EXPECT_EQ(f[1], std::numeric_limits<float>::infinity());
  EXPECT_EQ(f[2], -std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(f[3]));
  EXPECT_EQ(f[4], 16777216.0f);  // the nearest single
}

// Each class's record converts char codes, logicals, the real part of
// complex values and sparse matrices (which come back full).
TEST(Conversion, TakesCharLogicalComplexAndSparseValues) {
  Array text = zqtest::str("A\xff");
  EXPECT_EQ(valuesOf(zqtest::call("int8", 1, {text.get()}).outputs[0].get()), (std::vector<double>{65, 127}));
  EXPECT_EQ(valuesOf(zqtest::call("uint8", 1, {text.get()}).outputs[0].get()), (std::vector<double>{65, 255}));

  Array complex(qxCreateDoubleMatrix(1, 2, 1));
  qxGetPr(complex.get())[0] = 2.5;
  qxGetPi(complex.get())[0] = 9;
  qxGetPr(complex.get())[1] = -1;
  const zqtest::CallResult toInt = zqtest::call("int16", 1, {complex.get()});
  EXPECT_FALSE(qxIsComplex(toInt.outputs[0].get()));
  EXPECT_EQ(valuesOf(toInt.outputs[0].get()), (std::vector<double>{3, -1}));
  EXPECT_TRUE(qxIsComplex(zqtest::call("single", 1, {complex.get()}).outputs[0].get()));

  Array flags = zqtest::row({1, 0});
  qxSetLogical(flags.get(), 1);
  const zqtest::CallResult asDouble = zqtest::call("double", 1, {flags.get()});
  EXPECT_STREQ(qxGetClassName(asDouble.outputs[0].get()), "double");
  EXPECT_STREQ(qxGetClassName(flags.get()), "logical");  // the input is untouched
  EXPECT_STREQ(qxGetClassName(zqtest::call("uint8", 1, {flags.get()}).outputs[0].get()), "uint8");

  Array sparse(qxCreateSparse(2, 2, 1, 0));
  qxGetPr(sparse.get())[0] = 7.6;
  qxGetIr(sparse.get())[0] = 1;
  qxGetJc(sparse.get())[1] = 1;
  qxGetJc(sparse.get())[2] = 1;
  for (const char *name : {"double", "uint8"}) {
    const zqtest::CallResult r = zqtest::call(name, 1, {sparse.get()});
    ASSERT_EQ(r.error, "") << name;
    EXPECT_NE(qxGetClassCode(r.outputs[0].get()), QX_CODE_SPARSE) << name;
    EXPECT_EQ(valuesOf(r.outputs[0].get())[1], name[0] == 'd' ? 7.6 : 8) << name;
  }
}

// A value of the class asked for comes back as a new array over the same
// data; any other value is a copy.
TEST(Conversion, SameClassSharesTheDataInANewArray) {
  Array big(qxCreateDoubleMatrix(100, 1, 0));
  qxGetPr(big.get())[99] = 5;
  const zqtest::CallResult same = zqtest::call("double", 1, {big.get()});
  ASSERT_EQ(same.error, "");
  EXPECT_NE(same.outputs[0].get(), big.get());
  EXPECT_EQ(qxGetData(same.outputs[0].get()), qxGetData(big.get()));

  Array i8(qxCreateNumericMatrix(1, 100, QX_CLASS_INT8, 0));
  const zqtest::CallResult int8 = zqtest::call("int8", 1, {i8.get()});
  EXPECT_EQ(qxGetData(int8.outputs[0].get()), qxGetData(i8.get()));
  const zqtest::CallResult other = zqtest::call("int16", 1, {i8.get()});
  EXPECT_NE(qxGetData(other.outputs[0].get()), qxGetData(i8.get()));
}

}  // namespace
