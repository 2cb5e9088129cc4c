// Array storage as callers see it, whichever way the host keeps it: shapes
// of every rank, values of every size from a scalar up, copies that own
// their data, and arrays that are reshaped, regrown and destroyed in turn
// (the sanitizer build checks that nothing leaks or is freed twice).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "host/qx.h"
#include "support/host_fixture.h"
#include "zqhost/host.h"

namespace {

using zqtest::Array;

std::vector<int> dimsOf(const qxArray *a) {
  const int *d = qxGetDimensions(a);
  return std::vector<int>(d, d + qxGetNumberOfDimensions(a));
}

// Fills the data (and imaginary data) with distinct bytes.
void fill(qxArray *a, unsigned char seed) {
  const size_t bytes = static_cast<size_t>(qxGetNumberOfElements(a)) * qxGetElementSize(a);
  auto *re = static_cast<unsigned char *>(qxGetData(a));
  auto *im = static_cast<unsigned char *>(qxGetImagData(a));
  for (size_t i = 0; i < bytes; ++i) {
    re[i] = static_cast<unsigned char>(seed + i);
    if (im != nullptr) im[i] = static_cast<unsigned char>(seed + 2 * i + 1);
  }
}

bool sameData(const qxArray *a, const qxArray *b) {
  const size_t bytes = static_cast<size_t>(qxGetNumberOfElements(a)) * qxGetElementSize(a);
  if (bytes != static_cast<size_t>(qxGetNumberOfElements(b)) * qxGetElementSize(b)) return false;
  if ((qxGetImagData(a) == nullptr) != (qxGetImagData(b) == nullptr)) return false;
  return std::memcmp(qxGetData(a), qxGetData(b), bytes) == 0 &&
         (qxGetImagData(a) == nullptr || std::memcmp(qxGetImagData(a), qxGetImagData(b), bytes) == 0);
}

TEST(HostArrayStorage, ShapesAndValuesOfEverySizeSurviveCopies) {
  const struct {
    const char *what;
    std::vector<int> dims;
    int classId;
    bool complex;
    std::vector<int> shape;  // as reported
  } cases[] = {
      {"empty", {0, 0}, QX_CLASS_DOUBLE, false, {0, 0}},
      {"real scalar", {1, 1}, QX_CLASS_DOUBLE, false, {1, 1}},
      {"complex scalar", {1, 1}, QX_CLASS_DOUBLE, true, {1, 1}},
      {"four chars", {1, 4}, QX_CLASS_CHAR, false, {1, 4}},
      {"five chars", {1, 5}, QX_CLASS_CHAR, false, {1, 5}},
      {"eight bytes", {2, 4}, QX_CLASS_UINT8, true, {2, 4}},
      {"two doubles", {2, 1}, QX_CLASS_DOUBLE, true, {2, 1}},
      {"one dimension given", {3}, QX_CLASS_INT16, false, {3, 1}},
      {"negative extent", {-2, 3}, QX_CLASS_INT32, false, {0, 3}},
      {"four dimensions", {2, 1, 3, 2}, QX_CLASS_SINGLE, false, {2, 1, 3, 2}},
      {"six dimensions", {2, 2, 1, 3, 1, 2}, QX_CLASS_INT8, true, {2, 2, 1, 3, 1, 2}},
      {"trailing ones dropped", {2, 3, 1, 1, 1, 1}, QX_CLASS_DOUBLE, false, {2, 3}},
  };
  for (const auto &c : cases) {
    Array a(qxCreateNumericArray(static_cast<int>(c.dims.size()), c.dims.data(), c.classId, c.complex));
    ASSERT_NE(a, nullptr) << c.what;
    EXPECT_EQ(dimsOf(a.get()), c.shape) << c.what;
    fill(a.get(), 7);
    Array copy(qxDuplicateArray(a.get()));
    EXPECT_EQ(dimsOf(copy.get()), c.shape) << c.what;
    EXPECT_TRUE(sameData(a.get(), copy.get())) << c.what;
    if (qxGetNumberOfElements(a.get()) > 0) {
      EXPECT_NE(qxGetData(copy.get()), qxGetData(a.get())) << c.what;
      fill(copy.get(), 90);  // the original keeps its own values
      EXPECT_FALSE(sameData(a.get(), copy.get())) << c.what;
    }
    Array converted(qxCreateConvertedCopy(a.get(), QX_CLASS_DOUBLE));
    EXPECT_EQ(dimsOf(converted.get()), c.shape) << c.what;
  }
}

TEST(HostArrayStorage, ReshapingMovesBetweenRanksAndKeepsTheData) {
  Array a(qxCreateDoubleMatrix(1, 6, 0));
  fill(a.get(), 1);
  Array before(qxDuplicateArray(a.get()));
  const struct {
    std::vector<int> dims, shape;
    int n;
  } steps[] = {
      {{1, 2, 3}, {1, 2, 3}, 6},
      {{1, 1, 1, 1, 2, 3}, {1, 1, 1, 1, 2, 3}, 6},
      {{6, 1, 1, 1, 1}, {6, 1}, 1},
      {{3, 2}, {3, 2}, 2},
      {{2}, {2, 1}, 1},
  };
  for (const auto &s : steps) {
    qxSetDimensions(a.get(), s.dims.data(), static_cast<int>(s.dims.size()));
    EXPECT_EQ(dimsOf(a.get()), s.shape);
    EXPECT_EQ(qxGetN(a.get()), s.n);
  }
  const int again[] = {2, 3};
  qxSetDimensions(a.get(), again, 2);
  EXPECT_TRUE(sameData(a.get(), before.get()));
  const int nd[] = {2, 1, 3};
  qxSetDimensions(a.get(), nd, 3);
  qxSetN(a.get(), 3);
  EXPECT_EQ(dimsOf(a.get()), (std::vector<int>{2, 3}));
  qxSetM(a.get(), 1);
  EXPECT_EQ(qxGetNumberOfElements(a.get()), 3);
}

TEST(HostArrayStorage, SmallValuesCanBeReplacedFreedAndRegrown) {
  // A zero imaginary part of a scalar goes away; a nonzero one stays.
  Array z(qxCreateDoubleMatrix(1, 1, 1));
  qxFreeImagIfZero(z.get());
  EXPECT_FALSE(qxIsComplex(z.get()));
  Array w(qxCreateDoubleMatrix(1, 1, 1));
  qxGetPi(w.get())[0] = -2;
  qxFreeImagIfZero(w.get());
  EXPECT_EQ(qxGetPi(w.get())[0], -2);

  // Data handed to a scalar replaces its own and is released with it.
  Array s(qxCreateScalarDouble(3));
  auto *grown = static_cast<double *>(qxCalloc(4, sizeof(double)));
  grown[3] = 9;
  qxSetPr(s.get(), grown);
  qxSetN(s.get(), 4);
  EXPECT_EQ(qxGetPr(s.get())[3], 9);

  // A one-element cell and a one-element structure hold their values and
  // grow a field without losing them.
  Array cell(qxCreateCellMatrix(1, 1));
  qxSetCell(cell.get(), 0, qxCreateString("keep"));
  qxSetCell(cell.get(), 0, qxCreateString("replaced"));
  Array cellCopy(qxDuplicateArray(cell.get()));
  EXPECT_EQ(zqtest::text(qxGetCell(cellCopy.get(), 0)), "replaced");
  const char *names[] = {"a"};
  Array st(qxCreateStructMatrix(1, 1, 1, names));
  qxSetFieldByNumber(st.get(), 0, 0, qxCreateScalarDouble(4));
  EXPECT_EQ(qxAddField(st.get(), "b"), 1);
  EXPECT_EQ(qxGetScalar(qxGetFieldByNumber(st.get(), 0, 0)), 4.0);

  // Many short-lived arrays in a row, growing and shrinking, each start
  // from zeroed storage of their own.
  for (int i = 0; i < 600; ++i) {
    const int n = 1 + (i * 37) % 300;
    Array m(qxCreateNumericMatrix(1, n, QX_CLASS_INT32, 1));
    auto *re = static_cast<int32_t *>(qxGetData(m.get()));
    auto *im = static_cast<int32_t *>(qxGetImagData(m.get()));
    for (int k = 0; k < n; ++k) ASSERT_TRUE(re[k] == 0 && im[k] == 0) << n << " at " << k;
    ASSERT_EQ(std::string(qxGetName(m.get())), "");
    for (int k = 0; k < n; ++k) re[k] = im[k] = i + 1;
    qxSetName(m.get(), "named");
  }

  // A block the caller hands in is the caller's: it is released with the
  // array and never handed to a later one.
  for (int i = 0; i < 3; ++i) {
    Array row(qxCreateDoubleMatrix(1, 20, 0));
    void *own = qxMalloc(sizeof(double));
    qxFree(qxGetData(row.get()));
    qxSetData(row.get(), own);
    qxSetN(row.get(), 1);
    row.reset();
    Array next(qxCreateDoubleMatrix(1, 20, 0));
    EXPECT_NE(qxGetData(next.get()), own);
  }
}

}  // namespace

// A handler may build data itself and hand it to a fresh empty array: the
// empty array's own block is the caller's to free once replaced.
TEST(HostArrayStorage, AnEmptyArraysBlockCanBeReplacedAndFreed) {
  for (int classId : {QX_CLASS_CHAR, QX_CLASS_DOUBLE, QX_CLASS_UINT8}) {
    const int dims[2] = {1, 0};
    qxArray *row = qxCreateNumericArray(2, dims, classId, 0);
    ASSERT_NE(row, nullptr);
    const size_t bytes = 6 * qxGetElementSize(row);
    void *data = qxMalloc(bytes);
    std::memset(data, 1, bytes);
    qxFree(qxGetData(row));
    qxSetData(row, data);
    qxSetN(row, 6);
    EXPECT_EQ(qxGetNumberOfElements(row), 6);
    qxDestroyArray(row);
  }
}

// A shared copy reads the original's data without copying it; whoever is to
// change it first takes its own copy, and the blocks live until the last
// holder goes, in either order (the sanitizer build checks the frees).
TEST(HostArrayStorage, SharedCopiesReadOneBlockUntilOneOfThemChanges) {
  for (const bool complex : {false, true}) {
    for (const bool originalGoesFirst : {false, true}) {
      qxArray *original = qxCreateNumericMatrix(3, 40, QX_CLASS_INT16, complex ? 1 : 0);
      fill(original, 7);
      Array expected(qxDuplicateArray(original));
      qxArray *shared = qxCreateSharedDataCopy(original);
      qxArray *second = qxCreateSharedDataCopy(shared);
      EXPECT_EQ(qxGetData(shared), qxGetData(original));
      EXPECT_EQ(qxGetData(second), qxGetData(original));
      EXPECT_EQ(dimsOf(shared), (std::vector<int>{3, 40}));
      EXPECT_EQ(qxGetClassID(shared), QX_CLASS_INT16);

      zqhost::ownData(second);
      EXPECT_NE(qxGetData(second), qxGetData(original));
      EXPECT_TRUE(sameData(second, original));
      static_cast<int16_t *>(qxGetData(second))[0] = -1;
      EXPECT_FALSE(sameData(second, original));
      EXPECT_TRUE(sameData(shared, original));

      if (originalGoesFirst) std::swap(original, shared);
      qxDestroyArray(original);
      EXPECT_TRUE(sameData(shared, expected.get()));
      zqhost::ownData(shared);  // the last holder: nothing to copy
      qxDestroyArray(shared);
      qxDestroyArray(second);
    }
  }
}

// Values that live inside the record and logical flags: a shared copy of
// them is a full copy with the same class and shape.
TEST(HostArrayStorage, SharedCopiesOfSmallValuesAreFullCopies) {
  Array scalar(qxCreateScalarDouble(2.5));
  Array copy(qxCreateSharedDataCopy(scalar.get()));
  EXPECT_NE(qxGetData(copy.get()), qxGetData(scalar.get()));
  EXPECT_EQ(qxGetScalar(copy.get()), 2.5);

  Array flags(qxCreateNumericMatrix(1, 20, QX_CLASS_DOUBLE, 0));
  qxSetLogical(flags.get(), 1);
  Array flagsCopy(qxCreateSharedDataCopy(flags.get()));
  EXPECT_TRUE(qxIsLogical(flagsCopy.get()));
}

std::string textOf(const qxArray *a) {
  char text[32];
  qxGetString(a, text, sizeof text);
  return text;
}

// A shared copy of a cell or structure holds the same elements until one
// holder changes its own: then it gets elements of its own (sharing their
// data in turn), and the other holders see no change, in either order of
// destruction (the sanitizer build checks the frees).
TEST(HostArrayStorage, SharedCopiesOfContainersShareTheirElementsUntilOneChanges) {
  for (const bool originalGoesFirst : {false, true}) {
    qxArray *original = qxCreateCellMatrix(1, 2);
    qxSetCell(original, 0, qxCreateString("inside"));
    qxSetCell(original, 1, qxCreateCellMatrix(1, 1));
    qxArray *copy = qxCreateSharedDataCopy(original);
    EXPECT_EQ(qxGetCell(copy, 0), qxGetCell(original, 0));
    qxSetCell(copy, 0, qxCreateString("changed"));
    EXPECT_EQ(textOf(qxGetCell(original, 0)), "inside");
    EXPECT_EQ(textOf(qxGetCell(copy, 0)), "changed");
    EXPECT_NE(qxGetCell(copy, 1), qxGetCell(original, 1));
    EXPECT_EQ(qxGetClassID(qxGetCell(copy, 1)), QX_CLASS_CELL);
    if (originalGoesFirst) std::swap(original, copy);
    qxDestroyArray(original);
    qxDestroyArray(copy);
  }

  const char *names[] = {"a"};
  Array s(qxCreateStructMatrix(1, 1, 1, names));
  qxSetFieldByNumber(s.get(), 0, 0, qxCreateString("value"));
  Array object(qxCreateObject("widget", qxDuplicateArray(s.get())));
  Array objectCopy(qxCreateSharedDataCopy(object.get()));
  EXPECT_STREQ(qxGetClassName(objectCopy.get()), "widget");
  Array structCopy(qxCreateSharedDataCopy(s.get()));
  EXPECT_EQ(qxAddField(structCopy.get(), "b"), 1);
  EXPECT_EQ(qxGetNumberOfFields(s.get()), 1);
  EXPECT_EQ(textOf(qxGetFieldByNumber(structCopy.get(), 0, 0)), "value");
  qxSetFieldByNumber(structCopy.get(), 0, 0, qxCreateString("other"));
  EXPECT_EQ(textOf(qxGetFieldByNumber(s.get(), 0, 0)), "value");
}

// Cells nested far deeper than the stack could follow are built and
// destroyed without recursion.
TEST(HostArrayStorage, DeeplyNestedCellsAreDestroyedWithoutRecursion) {
  qxArray *c = qxCreateCellMatrix(0, 0);
  for (int k = 0; k < 1000000; ++k) {
    qxArray *outer = qxCreateCellMatrix(1, 1);
    qxSetCell(outer, 0, c);
    c = outer;
  }
  qxDestroyArray(c);
}

// Names, scopes, class names and field names travel as the calls say:
// copies keep the class and fields but not the variable's name.
TEST(HostArrayStorage, NamesAndFieldsOfRecordsThatAreRecycled) {
  for (int round = 0; round < 3; ++round) {
    const char *names[] = {"alpha", "beta"};
    Array s(qxCreateStructMatrix(1, 1, 2, names));
    qxSetName(s.get(), "record");
    qxSetScope(s.get(), QX_SCOPE_GLOBAL);
    EXPECT_STREQ(qxGetName(s.get()), "record");
    EXPECT_EQ(qxGetScope(s.get()), QX_SCOPE_GLOBAL);
    EXPECT_EQ(qxAddField(s.get(), "gamma"), 2);
    Array copy(qxDuplicateArray(s.get()));
    EXPECT_STREQ(qxGetName(copy.get()), "");
    EXPECT_EQ(qxGetScope(copy.get()), QX_SCOPE_LOCAL);
    EXPECT_EQ(qxGetFieldNumber(copy.get(), "gamma"), 2);
    EXPECT_STREQ(qxGetFieldNameByNumber(copy.get(), 1), "beta");
    Array object(qxCreateObject("widget", qxDuplicateArray(s.get())));
    EXPECT_STREQ(qxGetClassName(object.get()), "widget");
    Array empty(qxCreateEmptyCopy(object.get()));
    EXPECT_STREQ(qxGetClassName(empty.get()), "widget");
    EXPECT_EQ(qxGetNumberOfFields(empty.get()), 3);
    // A record made after these were destroyed starts plain.
    s.reset();
    copy.reset();
    Array fresh(qxCreateDoubleMatrix(2, 2, 0));
    EXPECT_STREQ(qxGetName(fresh.get()), "");
    EXPECT_EQ(qxGetNumberOfFields(fresh.get()), 0);
    EXPECT_STREQ(qxGetClassName(fresh.get()), "double");
  }
}
