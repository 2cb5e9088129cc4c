// The size argument of fread, fscanf and sscanf: its classes, its shapes
// and the sizes it refuses.
#include "common/size_argument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "support/host_fixture.h"
#include "zqhost/host.h"

namespace {

using zq::common::SizeArgument;
using zq::common::sizeArgument;
using zqtest::Array;

// A 1-by-n size of a class; complex when imag is given.
Array sizeOf(int classId, const std::vector<double> &values, double imag = 0) {
  Array a(qxCreateNumericMatrix(1, static_cast<int>(values.size()), classId, imag != 0));
  for (size_t i = 0; i < values.size(); ++i) {
    void *data = qxGetData(a.get());
    switch (classId) {
      case QX_CLASS_INT32: static_cast<int32_t *>(data)[i] = static_cast<int32_t>(values[i]); break;
      case QX_CLASS_SINGLE: static_cast<float *>(data)[i] = static_cast<float>(values[i]); break;
      case QX_CLASS_UINT8: static_cast<uint8_t *>(data)[i] = static_cast<uint8_t>(values[i]); break;
      default: static_cast<double *>(data)[i] = values[i]; break;
    }
  }
  if (imag != 0) qxGetPi(a.get())[0] = imag;
  return a;
}

std::string refusal(const qxArray *size) {
  try {
    (void)sizeArgument(size);
  } catch (const zqhost::Error &e) {
    return e.text();
  }
  return "";
}

TEST(SizeArgument, ReadsRowsColumnsAndItsOwnLengthFromEveryNumericClass) {
  constexpr double inf = INFINITY;
  struct {
    const char *what;
    Array size;
    SizeArgument expected;
  } cases[] = {
      {"int32 [2 2]", sizeOf(QX_CLASS_INT32, {2, 2}), {2, 2, 2}},
      {"single 2.7 cut to 2", sizeOf(QX_CLASS_SINGLE, {2.7}), {2, 1, 1}},
      {"uint8 [1 3]", sizeOf(QX_CLASS_UINT8, {1, 3}), {1, 3, 2}},
      {"complex: the real part", sizeOf(QX_CLASS_DOUBLE, {3}, 4), {3, 1, 1}},
      {"[2 Inf]: no column limit", sizeOf(QX_CLASS_DOUBLE, {2, inf}), {2, -1, 2}},
      {"[0 5]: nothing, 0-by-5", sizeOf(QX_CLASS_DOUBLE, {0, 5}), {0, 5, 2}},
      {"[0 Inf]: nothing, 0-by-0", sizeOf(QX_CLASS_DOUBLE, {0, inf}), {0, 0, 2}},
      {"0: nothing", sizeOf(QX_CLASS_DOUBLE, {0}), {0, 0, 1}},
      {"Inf: no limit at all", sizeOf(QX_CLASS_DOUBLE, {inf}), {1, -1, 1}},
      {"beyond the int range: no limit", sizeOf(QX_CLASS_DOUBLE, {1e10}), {1, -1, 1}},
  };
  for (const auto &c : cases) {
    const SizeArgument size = sizeArgument(c.size.get());
    EXPECT_EQ(size.rows, c.expected.rows) << c.what;
    EXPECT_EQ(size.cols, c.expected.cols) << c.what;
    EXPECT_EQ(size.dims, c.expected.dims) << c.what;
  }
  const SizeArgument none = sizeArgument(nullptr);
  EXPECT_EQ(none.rows, 1);
  EXPECT_EQ(none.cols, -1);
  EXPECT_EQ(none.dims, 0);
}

TEST(SizeArgument, RefusesWhatIsNoSize) {
  Array letters = zqtest::str("ab"), empty(qxCreateDoubleMatrix(0, 0, 0)), column = zqtest::mat(2, 1, {1, 2});
  Array sizes[] = {sizeOf(QX_CLASS_DOUBLE, {NAN}),         sizeOf(QX_CLASS_DOUBLE, {-0.5, 2}),
                   sizeOf(QX_CLASS_DOUBLE, {INFINITY, 2}), sizeOf(QX_CLASS_DOUBLE, {65536, 65536}),
                   sizeOf(QX_CLASS_DOUBLE, {1, 2, 3}),     sizeOf(QX_CLASS_INT32, {-1})};
  for (const Array &size : sizes) EXPECT_EQ(refusal(size.get()), "Invalid size.");
  EXPECT_EQ(refusal(letters.get()), "Invalid size.");
  EXPECT_EQ(refusal(empty.get()), "Invalid size.");
  EXPECT_EQ(refusal(column.get()), "Invalid size.");
}

// sscanf reads its size with this reader: [2 Inf] gives two rows and as
// many columns as the values need, the last one padded; a refusal reaches
// the caller as the host's message.
TEST(SizeArgument, IsTheReaderOfTheReadingBuiltins) {
  Array text = zqtest::str("1 2 3 4 5 6 7"), format = zqtest::str("%d"), size = sizeOf(QX_CLASS_DOUBLE, {2, INFINITY});
  auto r = zqtest::call("sscanf", 2, {text.get(), format.get(), size.get()});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(qxGetM(r.outputs[0].get()), 2);
  EXPECT_EQ(qxGetN(r.outputs[0].get()), 4);
  EXPECT_EQ(qxGetScalar(r.outputs[1].get()), 7);
  Array bad = sizeOf(QX_CLASS_DOUBLE, {NAN});
  EXPECT_EQ(zqtest::call("sscanf", 1, {text.get(), format.get(), bad.get()}).error, "Invalid size.");
}

}  // namespace
