// The size argument that sscanf shares with fread: its classes, its shapes
// and the sizes it refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/host_fixture.h"

namespace {

using zqtest::Array;
using zqtest::call;
using zqtest::str;

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

TEST(SizeArgument, ShapesTheValuesReadForEveryNumericClass) {
  struct {
    const char *what;
    Array size;
    int rows, cols;
    double count;
  } cases[] = {
      {"int32 [2 2]", sizeOf(QX_CLASS_INT32, {2, 2}), 2, 2, 4},
      {"single 2.7 cut to 2", sizeOf(QX_CLASS_SINGLE, {2.7}), 2, 1, 2},
      {"uint8 [1 3]", sizeOf(QX_CLASS_UINT8, {1, 3}), 1, 3, 3},
      {"complex: the real part", sizeOf(QX_CLASS_DOUBLE, {3}, 4), 3, 1, 3},
      {"[2 Inf] pads the last column", sizeOf(QX_CLASS_DOUBLE, {2, INFINITY}), 2, 4, 7},
      {"[0 5] reads nothing, 0-by-5", sizeOf(QX_CLASS_DOUBLE, {0, 5}), 0, 5, 0},
      {"[0 Inf] reads nothing, 0-by-0", sizeOf(QX_CLASS_DOUBLE, {0, INFINITY}), 0, 0, 0},
      {"Inf reads all", sizeOf(QX_CLASS_DOUBLE, {INFINITY}), 7, 1, 7},
  };
  Array text = str("1 2 3 4 5 6 7"), format = str("%d");
  for (const auto &c : cases) {
    auto r = call("sscanf", 2, {text.get(), format.get(), c.size.get()});
    ASSERT_EQ(r.error, "") << c.what;
    EXPECT_EQ(qxGetM(r.outputs[0].get()), c.rows) << c.what;
    EXPECT_EQ(qxGetN(r.outputs[0].get()), c.cols) << c.what;
    EXPECT_EQ(qxGetScalar(r.outputs[1].get()), c.count) << c.what;
  }
}

TEST(SizeArgument, RefusesWhatIsNoSize) {
  Array text = str("1 2"), format = str("%d"), letters = str("ab"), none(qxCreateDoubleMatrix(0, 0, 0));
  Array sizes[] = {sizeOf(QX_CLASS_DOUBLE, {NAN}),         sizeOf(QX_CLASS_DOUBLE, {-0.5, 2}),
                   sizeOf(QX_CLASS_DOUBLE, {INFINITY, 2}), sizeOf(QX_CLASS_DOUBLE, {65536, 65536}),
                   sizeOf(QX_CLASS_DOUBLE, {1, 2, 3}),     sizeOf(QX_CLASS_INT32, {-1})};
  for (const Array &size : sizes) {
    EXPECT_EQ(call("sscanf", 1, {text.get(), format.get(), size.get()}).error, "Invalid size.");
  }
  EXPECT_EQ(call("sscanf", 1, {text.get(), format.get(), letters.get()}).error, "Invalid size.");
  EXPECT_EQ(call("sscanf", 1, {text.get(), format.get(), none.get()}).error, "Invalid size.");
}

}  // namespace
