// The host array library: creation, class conversion with rounding and
// saturation, text, containers, and errors that unwind without leaking.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "host/qx.h"
#include "support/host_fixture.h"

namespace {

using zqtest::Array;

TEST(HostConversion, RoundsToNearestAndSaturatesIntegers) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double source[] = {2.5, -2.5, 1.4999, 300, -300, nan, inf, -inf};
  int8_t i8[8];
  uint8_t u8[8];
  int32_t i32[8];
  uint32_t u32[8];
  qxConvertBufferToType(i8, QX_CLASS_INT8, source, QX_CLASS_DOUBLE, 8);
  qxConvertBufferToType(u8, QX_CLASS_UINT8, source, QX_CLASS_DOUBLE, 8);
  qxConvertBufferToType(i32, QX_CLASS_INT32, source, QX_CLASS_DOUBLE, 8);
  qxConvertBufferToType(u32, QX_CLASS_UINT32, source, QX_CLASS_DOUBLE, 8);
  const int8_t wantI8[] = {3, -3, 1, 127, -128, 0, 127, -128};
  const uint8_t wantU8[] = {3, 0, 1, 255, 0, 0, 255, 0};
  const int32_t wantI32[] = {3, -3, 1, 300, -300, 0, INT32_MAX, INT32_MIN};
  const uint32_t wantU32[] = {3, 0, 1, 300, 0, 0, UINT32_MAX, 0};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(i8[i], wantI8[i]) << "int8 of " << source[i];
    EXPECT_EQ(u8[i], wantU8[i]) << "uint8 of " << source[i];
    EXPECT_EQ(i32[i], wantI32[i]) << "int32 of " << source[i];
    EXPECT_EQ(u32[i], wantU32[i]) << "uint32 of " << source[i];
  }
}

TEST(HostConversion, WidensEveryClassToDoubleExactly) {
  const uint32_t big[] = {4294967295u, 0u};
  double out[2];
  qxConvertBufferToType(out, QX_CLASS_DOUBLE, big, QX_CLASS_UINT32, 2);
  EXPECT_EQ(out[0], 4294967295.0);
  const int16_t negative[] = {-32768, 7};
  qxConvertBufferToType(out, QX_CLASS_DOUBLE, negative, QX_CLASS_INT16, 2);
  EXPECT_EQ(out[0], -32768.0);
  EXPECT_EQ(out[1], 7.0);
}

TEST(HostConversion, ConvertedCopyKeepsShapeAndRefusesContainers) {
  Array m = zqtest::mat(2, 3, {1, 2, 3, 4, 5, 6.7});
  Array i16(qxCreateConvertedCopy(m.get(), QX_CLASS_INT16));
  EXPECT_EQ(qxGetClassCode(i16.get()), QX_CODE_INT16);
  EXPECT_EQ(qxGetM(i16.get()), 2);
  EXPECT_EQ(qxGetN(i16.get()), 3);
  EXPECT_EQ(static_cast<int16_t *>(qxGetData(i16.get()))[5], 7);
  EXPECT_EQ(qxMustBe(m.get(), QX_CLASS_DOUBLE), m.get());
  Array cell(qxCreateCellMatrix(1, 1));
  EXPECT_THROW(qxCreateConvertedCopy(cell.get(), QX_CLASS_DOUBLE), zqhost::Error);
}

// An m-by-2 sparse array holding one value at (row, column), both 0-based.
Array sparseWithOne(int m, double value, int row, int column) {
  Array s(qxCreateSparse(m, 2, 1, 0));
  qxGetPr(s.get())[0] = value;
  qxGetIr(s.get())[0] = row;
  int *jc = qxGetJc(s.get());
  jc[0] = 0;
  jc[1] = column == 0 ? 1 : 0;
  jc[2] = 1;
  return s;
}

TEST(HostConversion, SparseBecomesFull) {
  Array s = sparseWithOne(2, 7, 1, 0);
  Array full(qxMustBe(s.get(), QX_CLASS_DOUBLE));
  ASSERT_EQ(qxGetNumberOfElements(full.get()), 4);
  EXPECT_EQ(qxGetPr(full.get())[1], 7.0);
  EXPECT_EQ(qxGetPr(full.get())[0], 0.0);
}

// The first element of a sparse row [0 3] is its zero, not the first
// value stored (which lies in the second column).
TEST(HostConversion, SparseScalarReadsTheFirstElement) {
  EXPECT_EQ(qxGetScalar(sparseWithOne(1, 3, 0, 1).get()), 0.0);
  EXPECT_EQ(qxGetScalar(sparseWithOne(1, 3, 0, 0).get()), 3.0);
  Array none(qxCreateSparse(1, 0, 1, 0));
  EXPECT_EQ(qxGetScalar(none.get()), 0.0);
}

TEST(HostArrays, StringsAndTextCopies) {
  Array s = zqtest::str("abc");
  EXPECT_EQ(qxGetM(s.get()), 1);
  EXPECT_EQ(qxGetN(s.get()), 3);
  char buffer[3];
  EXPECT_EQ(qxGetString(s.get(), buffer, sizeof buffer), 1);  // did not fit
  EXPECT_STREQ(buffer, "ab");
  Array empty = zqtest::str("");
  EXPECT_EQ(qxGetM(empty.get()), 0);
  EXPECT_EQ(qxGetN(empty.get()), 0);
  EXPECT_EQ(qxArray2String(zqtest::num(1).get(), 0), nullptr);
}

TEST(HostArrays, TrailingSingletonDimensionsAreDropped) {
  const int dims[] = {2, 3, 1, 1};
  Array a(qxCreateNumericArray(4, dims, QX_CLASS_DOUBLE, 0));
  EXPECT_EQ(qxGetNumberOfDimensions(a.get()), 2);
  const int nd[] = {2, 2, 2};
  Array b(qxCreateNumericArray(3, nd, QX_CLASS_UINT8, 1));
  EXPECT_EQ(qxGetNumberOfDimensions(b.get()), 3);
  EXPECT_EQ(qxGetN(b.get()), 4);
  EXPECT_TRUE(qxIsComplex(b.get()));
}

TEST(HostArrays, NoArrayHasMoreElementsThanAnIntCounts) {
  // The element count saturates at INT_MAX; a larger shape gets no array
  // (the caller's "Out of memory."), never storage for fewer elements.
  const int huge[] = {100000, 100000};
  EXPECT_EQ(qxCreateCellArray(2, huge), nullptr);
  EXPECT_EQ(qxCreateNumericMatrix(100000, 100000, QX_CLASS_UINT8, 0), nullptr);
  const int deep[] = {2000, 2000, 1000};
  EXPECT_EQ(qxCreateNumericArray(3, deep, QX_CLASS_INT8, 0), nullptr);
  const int empty[] = {100000, 100000, 0};
  Array none(qxCreateCellArray(3, empty));
  EXPECT_EQ(qxGetNumberOfElements(none.get()), 0);
}

TEST(HostArrays, ContainersOwnTheirElements) {
  const char *fields[] = {"a", "b"};
  Array s(qxCreateStructMatrix(1, 2, 2, fields));
  qxSetFieldByNumber(s.get(), 1, 0, qxCreateScalarDouble(5));
  EXPECT_EQ(qxGetFieldByNumber(s.get(), 0, 0), nullptr);
  EXPECT_EQ(qxGetScalar(qxGetFieldByNumber(s.get(), 1, 0)), 5.0);
  EXPECT_EQ(qxAddField(s.get(), "c"), 2);
  EXPECT_EQ(qxGetScalar(qxGetFieldByNumber(s.get(), 1, 0)), 5.0);  // kept across the growth
  EXPECT_EQ(qxGetFieldNumber(s.get(), "c"), 2);
  Array copy(qxDuplicateArray(s.get()));
  EXPECT_NE(qxGetFieldByNumber(copy.get(), 1, 0), qxGetFieldByNumber(s.get(), 1, 0));
  Array c(qxCreateCellMatrix(1, 1));
  qxSetCell(c.get(), 0, qxCreateString("x"));
  EXPECT_STREQ(qxGetClassName(qxGetCell(c.get(), 0)), "char");
}

TEST(HostArrays, ColonRanges) {
  struct Case {
    double start, step, stop;
    int count;
    double last;
  } cases[] = {{1, 1, 5, 5, 5}, {0, 0.1, 1, 11, 1}, {5, -2, 0, 3, 1}, {1, 1, 0, 0, 0}, {1, 0, 5, 0, 0}};
  for (const Case &c : cases) {
    Array r(qxCreateColonObj(c.start, c.step, c.stop));
    ASSERT_EQ(qxGetN(r.get()), c.count) << c.start << ":" << c.step << ":" << c.stop;
    EXPECT_EQ(qxGetM(r.get()), 1);
    if (c.count > 0) {
      EXPECT_EQ(qxGetPr(r.get())[c.count - 1], c.last);
    }
  }
}

TEST(HostErrors, CountChecksRaiseTheHostMessages) {
  EXPECT_NO_THROW(qxCheckNumArgs(1, 1, 2, 0, 2));
  auto message = [](int nlhs, int maxOut, int nrhs, int minIn, int maxIn) {
    try {
      qxCheckNumArgs(nlhs, maxOut, nrhs, minIn, maxIn);
    } catch (const zqhost::Error &e) {
      return e.text();
    }
    return std::string();
  };
  EXPECT_EQ(message(0, 0, 3, 0, 2), "Too many input arguments.");
  EXPECT_EQ(message(0, 0, 0, 1, 2), "Not enough input arguments.");
  EXPECT_EQ(message(2, 1, 1, 1, 1), "Too many output arguments.");
}

TEST(HostErrors, FormattedTextsAndWarnings) {
  try {
    qxErrMsgTxt("Cannot write %s: unsupported class %s", "x", "cell");
  } catch (const zqhost::Error &e) {
    EXPECT_EQ(e.text(), "Cannot write x: unsupported class cell");
  }
  qxSetWarningFlag(1);
  qxSetWarningFrequency(0);  // once
  zqtest::StdoutCapture capture;
  qxWarningMsgTxt("only once %d", 1);
  qxWarningMsgTxt("only once %d", 1);
  qxSetWarningFlag(0);
  qxWarningMsgTxt("silenced");
  qxSetWarningFlag(1);
  qxSetWarningFrequency(1);
  EXPECT_EQ(capture.text(), "warning: only once 1\n");
  EXPECT_STREQ(qxGetLastWarningMsg(), "only once 1");
}

// A handler that allocates, registers its block and then fails: the host
// frees the block (LeakSanitizer checks this in the sanitizer build).
void failingHandler(int, qxArray *[], int, qxArray *[]) {
  void *block = qxMalloc(1000);
  qxAddToAllocList(block);
  void *freedByHandler = qxMalloc(10);
  qxAddToAllocList(freedByHandler);
  qxFree(freedByHandler);  // the host forgets it: no double free later
  qxErrMsg(QX_MSG_OUT_OF_MEMORY);
}

TEST(HostErrors, UnwindingFreesTheCallsAllocationList) {
  BuiltinEntry entry{"failing", {}};
  entry.slots[QX_CODE_NO_INPUT] = failingHandler;
  qxArray *out[1] = {nullptr};
  try {
    zqhost::callBuiltin(entry, 0, out, 0, nullptr);
    FAIL() << "the handler's error must reach the caller";
  } catch (const zqhost::Error &e) {
    EXPECT_EQ(e.text(), "Out of memory.");
  }
}

}  // namespace
