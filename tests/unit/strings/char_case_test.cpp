// char and its stacking, the character tests and the case mappings.
#include <gtest/gtest.h>

#include "strings/case_tables.h"
#include "strings_support.h"

namespace zqtest {
namespace {

TEST(CharStacking, EveryInputTakesItsRowsOrOneBlankRow) {
  // 'ab', a 2-by-2 'cd';'ef', a 0-by-3 char and 65 stack into 5 rows of 3.
  Array r = result("char", {chars(u"ab").get(), chars(u"cedf", 2).get(), chars(u"", 0).get(), num(65).get()});
  ASSERT_EQ(dimsOf(r.get()), (std::vector<int>{5, 2}));
  EXPECT_EQ(codesOf(r.get()), u"ace Abdf  ");
  Array wide = result("char", {chars(u"a").get(), Array(qxCreateCharArray(2, std::array{0, 3}.data())).get()});
  EXPECT_EQ(dimsOf(wide.get()), (std::vector<int>{2, 3}));
  EXPECT_EQ(codesOf(wide.get()), u"a     ");
}

TEST(CharStacking, ACellStacksLikeItsStringsGivenOneByOne) {
  Array fromCell = result("char", {cellOf(1, 3, chars(u"one"), chars(u""), chars(u"three")).get()});
  Array fromArgs = result("char", {chars(u"one").get(), chars(u"").get(), chars(u"three").get()});
  EXPECT_EQ(dimsOf(fromCell.get()), dimsOf(fromArgs.get()));
  EXPECT_EQ(codesOf(fromCell.get()), codesOf(fromArgs.get()));
  EXPECT_EQ(dimsOf(result("char", {cellOf(0, 0).get()}).get()), (std::vector<int>{0, 0}));
  EXPECT_EQ(dimsOf(result("char", {}).get()), (std::vector<int>{0, 0}));
}

TEST(CharStacking, RefusesContainersAmongItsInputs) {
  EXPECT_EQ(errorOf("char", {cellOf(1, 2, chars(u"a"), num(1)).get()}), "Cell elements must be character arrays");
  EXPECT_EQ(errorOf("char", {cellOf(1, 2, chars(u"a"), Array()).get()}), "Cell elements must be character arrays");
  EXPECT_EQ(errorOf("char", {chars(u"a").get(), cellOf(1, 1, chars(u"b")).get()}), "Inputs must be character arrays");
}

TEST(CharConversion, SharesTextAndConvertsNumbers) {
  Array text = chars(std::u16string(100, u'q'));
  Array same = result("char", {text.get()});
  EXPECT_EQ(codesOf(same.get()), codesOf(text.get()));
  EXPECT_EQ(codesOf(result("setstr", {row({72, 105}).get()}).get()), u"Hi");
  qxSetLastWarningMsg("");
  EXPECT_EQ(codesOf(result("string", {num(66).get()}).get()), u"B");
  EXPECT_STREQ(qxGetLastWarningMsg(), "string is obsolete and will be discontinued.\n         Use char instead");
  EXPECT_EQ(errorOf("setstr", {}), "Not enough input arguments.");
}

TEST(CaseTables, LettersWithoutAnotherCaseStayAsTheyAre) {
  using zq::strings::kLowerCase;
  using zq::strings::kUpperCase;
  for (int c = 0; c < 256; ++c) {
    // Mapping to the other case and back returns every letter that changes.
    if (kUpperCase[c] != c) {
      EXPECT_EQ(kLowerCase[kUpperCase[c]], c) << c;
    }
    if (kLowerCase[c] != c) {
      EXPECT_EQ(kUpperCase[kLowerCase[c]], c) << c;
    }
  }
  for (int c : {215, 223, 247, 255}) {
    EXPECT_EQ(kUpperCase[c], c);
    EXPECT_EQ(kLowerCase[c], c);
  }
  EXPECT_EQ(kUpperCase[u'z'], u'Z');
  EXPECT_EQ(kLowerCase[192], 224);
}

TEST(CharacterTests, GiveLogicalArraysShapedLikeTheInput) {
  Array text = chars(u"a\t \x0109\x0141\xdf\xd7 ", 2);  // 2-by-4
  Array space = result("isspace", {text.get()});
  EXPECT_TRUE(qxIsLogical(space.get()));
  EXPECT_EQ(dimsOf(space.get()), (std::vector<int>{2, 4}));
  EXPECT_EQ(realsOf(space.get()), (std::vector<double>{0, 1, 1, 0, 0, 0, 0, 1}));
  // The letter test reads the low byte: 0x0141 answers as 0x41.
  EXPECT_EQ(realsOf(result("isletter", {text.get()}).get()), (std::vector<double>{1, 0, 0, 0, 1, 1, 0, 0}));
  Array numbers = result("isletter", {mat(2, 1, {65, 97}).get()});
  EXPECT_EQ(dimsOf(numbers.get()), (std::vector<int>{2, 1}));
  EXPECT_EQ(realsOf(numbers.get()), (std::vector<double>{0, 0}));
}

TEST(CaseMapping, MapsStringsAndCellsAndLeavesOtherValues) {
  EXPECT_EQ(codesOf(result("upper", {chars(u"ab\xe9\xff\x0161").get()}).get()), u"AB\xc9\xff\x0161");
  Array cell = result("lower", {cellOf(2, 1, chars(u"ABC"), chars(u"D\xc0", 2)).get()});
  EXPECT_EQ(dimsOf(cell.get()), (std::vector<int>{2, 1}));
  EXPECT_EQ(codesOf(qxGetCell(cell.get(), 0)), u"abc");
  EXPECT_EQ(dimsOf(qxGetCell(cell.get(), 1)), (std::vector<int>{2, 1}));
  EXPECT_EQ(codesOf(qxGetCell(cell.get(), 1)), u"d\xe0");
  EXPECT_EQ(realsOf(result("upper", {row({97, 98}).get()}).get()), (std::vector<double>{97, 98}));
  EXPECT_EQ(dimsOf(result("lower", {cellOf(0, 3).get()}).get()), (std::vector<int>{0, 3}));
  EXPECT_EQ(errorOf("upper", {cellOf(1, 2, chars(u"a"), num(1)).get()}), "Cell elements must be character arrays");
}

}  // namespace
}  // namespace zqtest
