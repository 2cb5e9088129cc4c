// strrep over cells of strings (shapes, single inputs, size rules) and over
// numbers (shapes, complex parts, classes).
#include <gtest/gtest.h>

#include "strings_support.h"

namespace zqtest {
namespace {

using Dims = std::vector<int>;
constexpr const char *kSizes = "Inputs must be the same size or any one can be a scalar";

TEST(StringReplacement, ACellResultTakesTheDrivingCellsShape) {
  Array r = result("strrep", {cellOf(2, 1, chars(u"abc"), chars(u"", 0)).get(), chars(u"b").get(), chars(u"XY").get()});
  ASSERT_EQ(dimsOf(r.get()), (Dims{2, 1}));
  EXPECT_EQ(codesOf(qxGetCell(r.get(), 0)), u"aXYc");
  EXPECT_EQ(dimsOf(qxGetCell(r.get(), 1)), (Dims{0, 0}));  // nothing matched: the element as it was
  // Each replacement takes its own element of every cell that is not single.
  Array pairs = result("strrep", {cellOf(1, 2, chars(u"aa"), chars(u"bb")).get(),
                                  cellOf(1, 2, chars(u"a"), chars(u"b")).get(), cellOf(1, 1, chars(u"1")).get()});
  EXPECT_EQ(codesOf(qxGetCell(pairs.get(), 0)), u"11");
  EXPECT_EQ(codesOf(qxGetCell(pairs.get(), 1)), u"11");
  // Without a driving cell a single cell gives the shape; an empty driving cell gives an empty result.
  EXPECT_EQ(dimsOf(result("strrep", {chars(u"ab").get(), cellOf(1, 1, chars(u"b")).get(), chars(u"c").get()}).get()),
            (Dims{1, 1}));
  EXPECT_EQ(dimsOf(result("strrep", {cellOf(0, 2).get(), chars(u"b").get(), chars(u"c").get()}).get()), (Dims{0, 2}));
}

TEST(StringReplacement, RefusesSizesThatDoNotFit) {
  auto pair = [] { return cellOf(1, 2, chars(u"a"), chars(u"b")); };
  auto column = [] { return cellOf(2, 1, chars(u"a"), chars(u"b")); };
  auto one = [] { return cellOf(1, 1, chars(u"a")); };
  EXPECT_EQ(errorOf("strrep", {pair().get(), pair().get(), column().get()}), kSizes);
  EXPECT_EQ(errorOf("strrep", {one().get(), pair().get(), column().get()}), kSizes);
  EXPECT_EQ(errorOf("strrep", {pair().get(), one().get(), column().get()}), kSizes);
  EXPECT_EQ(errorOf("strrep", {column().get(), pair().get(), one().get()}), kSizes);
  // Single inputs fit anything.
  EXPECT_EQ(dimsOf(result("strrep", {one().get(), one().get(), column().get()}).get()), (Dims{2, 1}));
  EXPECT_EQ(dimsOf(result("strrep", {one().get(), pair().get(), pair().get()}).get()), (Dims{1, 2}));
  // Two cells of different counts when not all inputs are cells.
  EXPECT_EQ(
      errorOf("strrep", {pair().get(), cellOf(1, 3, chars(u"a"), chars(u"b"), chars(u"c")).get(), chars(u"x").get()}),
      kSizes);
  EXPECT_EQ(errorOf("strrep", {chars(u"abcd", 2).get(), chars(u"a").get(), chars(u"b").get()}),
            "Input character arrays cannot be padded string matrices");
  EXPECT_EQ(errorOf("strrep", {pair().get(), chars(u"a").get(), cellOf(1, 2, chars(u"b"), Array()).get()}),
            "Cell elements must be character arrays");
}

TEST(NumericReplacement, ImaginaryPartsTravelWithTheirElements) {
  Array z(qxCreateDoubleMatrix(1, 1, 1));
  qxGetPr(z.get())[0] = 5;
  qxGetPi(z.get())[0] = 1;
  Array r = result("strrep", {row({1, 2, 3}).get(), num(2).get(), z.get()});
  ASSERT_TRUE(qxIsComplex(r.get()));
  EXPECT_EQ(realsOf(r.get()), (std::vector<double>{1, 5, 3}));
  EXPECT_EQ(std::vector<double>(qxGetPi(r.get()), qxGetPi(r.get()) + 3), (std::vector<double>{0, 1, 0}));
  // An imaginary part left all zero is dropped.
  Array back = result("strrep", {r.get(), z.get(), num(2).get()});
  EXPECT_FALSE(qxIsComplex(back.get()));
  EXPECT_EQ(realsOf(back.get()), (std::vector<double>{1, 2, 3}));
}

TEST(NumericReplacement, KeepsTheInputWhenNothingMatchesAndChecksShapes) {
  Array bytes(qxCreateNumericMatrix(1, 2, QX_CLASS_INT8, 0));
  Array same = result("strrep", {bytes.get(), num(5).get(), num(6).get()});
  EXPECT_EQ(qxGetClassID(same.get()), QX_CLASS_INT8);
  EXPECT_EQ(errorOf("strrep", {mat(2, 2, {1, 2, 3, 4}).get(), mat(2, 1, {1, 2}).get(), num(0).get()}),
            "Inputs must be row vectors");
  const int cube[3] = {1, 2, 2};
  Array three(qxCreateNumericArray(3, cube, QX_CLASS_DOUBLE, 0));
  EXPECT_EQ(errorOf("strrep", {row({0, 0}).get(), num(0).get(), three.get()}), "Inputs must be row vectors");
}

}  // namespace
}  // namespace zqtest
