// The shared argument readers and output helpers, as handlers see them.
#include "common/arguments.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

#include "common/codes.h"
#include "common/outputs.h"
#include "support/host_fixture.h"
#include "zqhost/host.h"

namespace {

using zqtest::errorOf;
using zqtest::num;
using zqtest::str;

// Fids, counts and lengths are read this way: truncated toward zero and
// saturated, so that no wild value names a real file.
TEST(IntegerArgument, TruncatesAndSaturates) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    int expected;
  } cases[] = {
      {3.9, 3},
      {-0.5, 0},
      {-3.9, -3},
      {2147483647.0, INT_MAX},
      {2147483648.0, -1},
      {1e12, -1},
      {inf, -1},
      {-inf, INT_MIN},
      {-2147483649.0, INT_MIN},
      {nan, INT_MAX},
      {-nan, INT_MIN},
      {2147483647.5, INT_MAX},
      {-2147483648.5, INT_MIN},
      {-2147483648.0, INT_MIN},
  };
  for (const auto &c : cases) EXPECT_EQ(zq::common::integerArgument(num(c.value).get()), c.expected) << c.value;
  EXPECT_EQ(zq::common::integerArgument(zqtest::mat(0, 0, {}).get()), -1);
  EXPECT_EQ(zq::common::integerArgument(zqtest::row({5.5, 9}).get()), 5);
  zqtest::Array int8(qxCreateNumericMatrix(1, 1, QX_CLASS_INT8, 0));
  static_cast<int8_t *>(qxGetData(int8.get()))[0] = -7;
  EXPECT_EQ(zq::common::integerArgument(int8.get()), -7);
}

TEST(TextArgument, RaisesTheCallersMessageForANonCharArgument) {
  EXPECT_STREQ(zq::common::textArgument(str("abc").get(), QX_MSG_NOT_A_STRING).get(), "abc");
  EXPECT_EQ(errorOf([] { (void)zq::common::textArgument(num(1).get(), QX_MSG_INVALID_OPTION); }), "Invalid option.");
  EXPECT_EQ(errorOf([] { zq::common::requireChar(nullptr, QX_MSG_NOT_A_STRING); }), "Argument must be a string.");
}

struct Word {
  const char *name;
  int value;
};
constexpr Word kWords[] = {{"on", 1}, {"off", 0}};

TEST(CheckOption, FindsTheExactWordOrRaisesTheGivenMessage) {
  EXPECT_EQ(zq::common::checkOption<Word>("off", kWords, QX_MSG_INVALID_OPTION).value, 0);
  EXPECT_EQ(zq::common::findOption<Word>("ON", kWords), nullptr);
  EXPECT_EQ(errorOf([] { (void)zq::common::checkOption<Word>("On", kWords, QX_MSG_INVALID_OPTION); }),
            "Invalid option.");
}

struct Letter {
  char letter;
  int value;
};
constexpr Letter kLetters[] = {{'d', 10}, {'x', 16}, {'d', 99}};

TEST(FindLetter, FindsTheFirstRowOfALetterAndNothingForOthers) {
  EXPECT_EQ(zq::common::findLetter<Letter>('d', kLetters)->value, 10);
  EXPECT_EQ(zq::common::findLetter<Letter>('x', kLetters)->value, 16);
  EXPECT_EQ(zq::common::findLetter<Letter>('D', kLetters), nullptr);
  EXPECT_EQ(zq::common::findLetter<Letter>('\0', kLetters), nullptr);
}

TEST(Outputs, RefuseANullResultWithOutOfMemory) {
  qxArray *slots[1] = {nullptr};
  zq::common::Outputs out(0, slots);
  EXPECT_TRUE(out.wants(0));
  EXPECT_FALSE(out.wants(1));
  EXPECT_EQ(errorOf([] {
              qxArray *s[1] = {nullptr};
              zq::common::Outputs(1, s).set(0, nullptr);
            }),
            "Out of memory.");
  out.set(0, zq::common::logicalResult(true));
  EXPECT_TRUE(qxIsLogical(slots[0]));
  qxDestroyArray(slots[0]);
}

TEST(CharMatrix, ReadsRowsAcrossColumnMajorStorage) {
  // 2-by-3: rows "abc" and "def", stored a d b e c f.
  zqtest::Array m(qxCreateNumericMatrix(2, 3, QX_CLASS_CHAR, 0));
  const char *stored = "adbecf";
  for (int i = 0; i < 6; ++i) qxGetChars(m.get())[i] = static_cast<unsigned char>(stored[i]);
  const zq::common::CharMatrix view(m.get());
  EXPECT_EQ(view.rows(), 2u);
  EXPECT_EQ(view.cols(), 3u);
  EXPECT_EQ(view.at(1, 2), 'f');
  EXPECT_EQ(view.column(1)[0], 'b');
  EXPECT_TRUE(zq::common::codesOf(nullptr).empty());
  // As one row: the first row's worth of codes in storage order.
  const auto row = zq::common::rowCodes(m.get());
  EXPECT_EQ(std::string(row.begin(), row.end()), "adb");
  zqtest::Array rowless(qxCreateNumericMatrix(0, 3, QX_CLASS_CHAR, 0));
  EXPECT_TRUE(zq::common::rowCodes(rowless.get()).empty());
}

TEST(RequireCharElements, RefusesANonCharOrMissingElement) {
  zqtest::Array cell(qxCreateCellMatrix(1, 2));
  qxSetCell(cell.get(), 0, qxCreateString("a"));
  static const qxArray *tested = nullptr;
  tested = cell.get();
  EXPECT_EQ(errorOf([] { zq::common::requireCharElements(tested, "not text"); }), "not text");
  qxSetCell(cell.get(), 1, qxCreateString("b"));
  EXPECT_EQ(errorOf([] { zq::common::requireCharElements(tested, "not text"); }), "");
}

TEST(FalseArrayLike, IsLogicalWithTheSameDimensions) {
  const int dims[3] = {2, 1, 3};
  zqtest::Array model(qxCreateCellArray(3, dims));
  zqtest::Array result(zq::common::falseArrayLike(model.get()));
  EXPECT_TRUE(qxIsLogical(result.get()));
  EXPECT_EQ(qxGetNumberOfDimensions(result.get()), 3);
  EXPECT_EQ(qxGetDimensions(result.get())[2], 3);
  EXPECT_EQ(qxGetPr(result.get())[5], 0.0);
}

}  // namespace
