// Rules of the construction, case and comparison builtins that scripts
// cannot reach: cells with elements never set, codes above 255, counts at
// the edges of their range, and char arrays with columns but no rows.
#include <gtest/gtest.h>

#include <cmath>

#include "strings/case_tables.h"
#include "strings_support.h"

namespace zqtest {
namespace {

using Values = std::vector<double>;

TEST(CaseTables, EveryLetterThatChangesCaseComesBack) {
  using zq::strings::kLowerCase;
  using zq::strings::kUpperCase;
  for (int c = 0; c < 256; ++c) {
    if (kUpperCase[c] != c) {
      EXPECT_EQ(kLowerCase[kUpperCase[c]], c) << c;
    }
    if (kLowerCase[c] != c) {
      EXPECT_EQ(kUpperCase[kLowerCase[c]], c) << c;
    }
  }
  for (int c : {215, 223, 247, 255}) EXPECT_TRUE(kUpperCase[c] == c && kLowerCase[c] == c) << c;
}

TEST(MissingCellElements, AreNotTextAnywhere) {
  const char *kMessage = "Cell elements must be character arrays";
  auto holey = [] { return cellOf(1, 2, chars(u"a"), Array()); };
  EXPECT_EQ(errorOf("char", {holey().get()}), kMessage);
  EXPECT_EQ(errorOf("lower", {holey().get()}), kMessage);
  EXPECT_EQ(errorOf("strrep", {holey().get(), chars(u"a").get(), chars(u"b").get()}), kMessage);
  EXPECT_EQ(realsOf(result("strcmp", {holey().get(), chars(u"a").get()}).get()), (Values{1, 0}));
  EXPECT_EQ(realsOf(result("strcmp", {holey().get(), holey().get()}).get()), (Values{1, 0}));
}

TEST(CodesAbove255, KeepTheirCase) {
  EXPECT_EQ(codesOf(result("upper", {chars(u"a\x0161").get()}).get()), u"A\x0161");
  EXPECT_EQ(realsOf(result("strcmpi", {chars(u"\x0141").get(), chars(u"\x0161").get()}).get()), Values{0});
  EXPECT_EQ(realsOf(result("strcmpi", {chars(u"\xc9").get(), chars(u"\xe9").get()}).get()), Values{1});
}

TEST(CompareCounts, AtTheEdgesOfTheirRange) {
  auto ncmp = [](double n) {
    return realsOf(result("strncmp", {chars(u"ab").get(), chars(u"ab").get(), num(n).get()}).get())[0];
  };
  EXPECT_EQ(ncmp(std::nan("")), 0);
  EXPECT_EQ(ncmp(1e300), 0);
  EXPECT_EQ(ncmp(-1e300), 0);
  EXPECT_EQ(ncmp(-1), 0);
  EXPECT_EQ(ncmp(-2), 1);  // rounds to -1: whole strings
  EXPECT_EQ(errorOf("strncmpi", {chars(u"a").get(), chars(u"a").get(), Array(qxCreateSparse(1, 1, 1, 0)).get()}),
            "Number of characters to match must be an integer");
}

TEST(RowlessText, HasItsColumnsAsItsLengthButNoCodes) {
  // 0-by-3 char: three long, but it has no characters; it equals only
  // another text of that length without characters.
  Array rowless(qxCreateCharArray(2, std::array{0, 3}.data()));
  Array cell = cellOf(1, 3, chars(u""), chars(u"abc"), Array(qxCreateCharArray(2, std::array{0, 3}.data())));
  EXPECT_EQ(realsOf(result("strcmp", {rowless.get(), cell.get()}).get()), (Values{0, 0, 1}));
  EXPECT_EQ(realsOf(result("strcmp", {chars(u"").get(), cell.get()}).get()), (Values{1, 0, 0}));
  EXPECT_EQ(realsOf(result("strncmp", {chars(u"abc").get(), cell.get(), num(2).get()}).get()), (Values{0, 1, 0}));
  EXPECT_EQ(dimsOf(result("strrep", {rowless.get(), chars(u"a").get(), chars(u"x").get()}).get()),
            (std::vector<int>{0, 3}));
}

}  // namespace
}  // namespace zqtest
