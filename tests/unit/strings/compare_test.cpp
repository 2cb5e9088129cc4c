// strcmp, strcmpi, strncmp and strncmpi: what equal means for strings,
// padded matrices and cells, and the shapes of the logical results.
#include <gtest/gtest.h>

#include "strings_support.h"

namespace zqtest {
namespace {

// The values of a logical result, checked to be logical.
std::vector<double> compared(const char *name, std::initializer_list<const qxArray *> inputs) {
  Array r = result(name, inputs);
  EXPECT_TRUE(qxIsLogical(r.get())) << name;
  return realsOf(r.get());
}

using Values = std::vector<double>;

TEST(StringCompare, WholeStringsNeedTheSameShapeAndCodes) {
  EXPECT_EQ(compared("strcmp", {chars(u"abc").get(), chars(u"abc").get()}), Values{1});
  EXPECT_EQ(compared("strcmp", {chars(u"abcdef", 2).get(), chars(u"abcdef", 3).get()}), Values{0});
  EXPECT_EQ(compared("strcmp", {chars(u"").get(), chars(u"").get()}), Values{1});     // 1-by-0 twice
  EXPECT_EQ(compared("strcmp", {chars(u"", 0).get(), chars(u"").get()}), Values{0});  // 0-by-0, 1-by-0
  EXPECT_EQ(compared("strcmp", {chars(u"abc").get(), chars(u"abd").get()}), Values{0});
}

TEST(StringCompare, CountsCompareTheFirstCodesInStorageOrder) {
  Array two = num(2);
  EXPECT_EQ(compared("strncmp", {chars(u"abX").get(), chars(u"abY").get(), two.get()}), Values{1});
  // Shapes do not matter with a count: 'ab' over 'cd' starts a, c.
  EXPECT_EQ(compared("strncmp", {chars(u"acbd", 2).get(), chars(u"ac").get(), two.get()}), Values{1});
  EXPECT_EQ(compared("strncmp", {chars(u"a").get(), chars(u"a").get(), two.get()}), Values{0});
  EXPECT_EQ(compared("strncmp", {chars(u"ab").get(), chars(u"ab").get(), num(0).get()}), Values{0});
}

TEST(StringCompare, CountIsRoundedHalfUpAfterAWarning) {
  qxSetLastWarningMsg("");
  EXPECT_EQ(compared("strncmp", {chars(u"abcX").get(), chars(u"abcY").get(), num(2.5).get()}), Values{1});
  EXPECT_STREQ(qxGetLastWarningMsg(), "The number of characters to match must be an integer");
  EXPECT_EQ(compared("strncmp", {chars(u"abX").get(), chars(u"abY").get(), num(2.4).get()}), Values{1});
  EXPECT_EQ(compared("strncmp", {chars(u"abX").get(), chars(u"abY").get(), num(2.5).get()}), Values{0});
  // -2 rounds to -1, which stands for whole strings.
  EXPECT_EQ(compared("strncmp", {chars(u"ab").get(), chars(u"ab").get(), num(-2).get()}), Values{1});
  const char *kMessage = "Number of characters to match must be an integer";
  EXPECT_EQ(errorOf("strncmp", {chars(u"a").get(), chars(u"a").get(), chars(u"x").get()}), kMessage);
  EXPECT_EQ(errorOf("strncmp", {chars(u"a").get(), chars(u"a").get(), row({1, 2}).get()}), kMessage);
  EXPECT_EQ(errorOf("strncmpi", {chars(u"a").get(), chars(u"a").get(), Array(qxCreateSparse(1, 1, 1, 0)).get()}),
            kMessage);
}

TEST(StringCompare, FoldingFollowsTheLatin1Table) {
  auto same = [](char16_t a, char16_t b) {
    return compared("strcmpi", {chars(std::u16string(1, a)).get(), chars(std::u16string(1, b)).get()})[0];
  };
  EXPECT_EQ(same(u'Q', u'q'), 1);
  EXPECT_EQ(same(201, 233), 1);      // E acute
  EXPECT_EQ(same(215, 247), 0);      // multiplication and division signs
  EXPECT_EQ(same(0x141, 0x161), 0);  // beyond 255: compared as they are
  EXPECT_EQ(compared("strncmpi", {chars(u"ABc").get(), chars(u"abD").get(), num(2).get()}), Values{1});
}

TEST(StringCompare, PaddedMatrixRowsLoseTrailingBlanksAgainstACell) {
  // Rows "ab " and "c  " against {'ab'; 'c '}: the second element keeps its blank.
  Array padded = chars(u"acb   ", 2);
  Array cell = cellOf(2, 1, chars(u"ab"), chars(u"c "));
  EXPECT_EQ(compared("strcmp", {padded.get(), cell.get()}), (Values{1, 0}));
  EXPECT_EQ(compared("strcmp", {cell.get(), padded.get()}), (Values{1, 0}));
  // One element meets every row, in an M-by-1 result.
  Array one = cellOf(1, 1, chars(u"ab"));
  Array r = result("strcmp", {padded.get(), one.get()});
  EXPECT_EQ(dimsOf(r.get()), (std::vector<int>{2, 1}));
  EXPECT_EQ(errorOf("strcmp", {padded.get(), cellOf(1, 3, chars(u"a"), chars(u"b"), chars(u"c")).get()}),
            "The number of rows of the string matrix must\nmatch the number of elements in the cell");
}

TEST(StringCompare, OneStringMeetsEveryElementOfACell) {
  Array cell = cellOf(2, 2, chars(u"ab"), num(1), Array(), chars(u"abc"));
  Array r = result("strcmp", {chars(u"ab").get(), cell.get()});
  EXPECT_EQ(dimsOf(r.get()), (std::vector<int>{2, 2}));
  EXPECT_EQ(realsOf(r.get()), (Values{1, 0, 0, 0}));  // a number and a missing element never match
  EXPECT_EQ(compared("strncmp", {cell.get(), chars(u"abX").get(), num(2).get()}), (Values{1, 0, 0, 1}));
}

TEST(StringCompare, CellsCompareElementCountsNotShapes) {
  Array square = cellOf(1, 1, chars(u"abcd", 2));
  EXPECT_EQ(compared("strcmp", {square.get(), cellOf(1, 1, chars(u"abcd")).get()}), Values{1});
  // A single-element cell stands for every element of the other.
  Array many = cellOf(1, 3, chars(u"x"), chars(u"y"), chars(u"x"));
  Array r = result("strcmp", {cellOf(1, 1, chars(u"x")).get(), many.get()});
  EXPECT_EQ(dimsOf(r.get()), (std::vector<int>{1, 3}));
  EXPECT_EQ(realsOf(r.get()), (Values{1, 0, 1}));
  const char *kMessage = "Inputs must be the same size or either one can be a scalar";
  EXPECT_EQ(errorOf("strcmp", {many.get(), cellOf(3, 1, chars(u"x"), chars(u"y"), chars(u"x")).get()}), kMessage);
  EXPECT_EQ(errorOf("strcmp", {many.get(), cellOf(1, 2, chars(u"x"), chars(u"y")).get()}), kMessage);
}

TEST(StringCompare, OtherClassesAreNeverEqualAndNeverAnError) {
  Array cell = cellOf(1, 2, chars(u"1"), chars(u"1"));
  EXPECT_EQ(compared("strcmp", {num(1).get(), chars(u"1").get()}), Values{0});
  EXPECT_EQ(compared("strcmp", {chars(u"1").get(), num(49).get()}), Values{0});
  EXPECT_EQ(compared("strcmpi", {cell.get(), num(1).get()}), (Values{0, 0}));
  EXPECT_EQ(compared("strcmpi", {num(1).get(), cell.get()}), (Values{0, 0}));
  Array s(qxCreateStructMatrix(1, 1, 0, nullptr));
  EXPECT_EQ(compared("strcmp", {chars(u"a").get(), s.get()}), Values{0});
}

}  // namespace
}  // namespace zqtest
