// The search engine and the builtins on top of it, against a plain
// reference search over many random texts, where overlaps are frequent.
#include "strings/search.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <random>

#include "strings_support.h"

namespace zqtest {
namespace {

using zq::strings::findCodes;
using zq::strings::MatchList;

std::vector<std::uint32_t> found(std::u16string_view text, std::u16string_view pattern) {
  MatchList matches;
  findCodes({reinterpret_cast<const qxChar *>(text.data()), text.size()},
            {reinterpret_cast<const qxChar *>(pattern.data()), pattern.size()}, matches);
  return {matches.positions().begin(), matches.positions().end()};
}

// Every start of pattern in text, by trying each one.
std::vector<std::uint32_t> plainSearch(std::u16string_view text, std::u16string_view pattern) {
  std::vector<std::uint32_t> starts;
  if (pattern.empty()) return starts;
  for (size_t i = 0; i + pattern.size() <= text.size(); ++i) {
    if (text.substr(i, pattern.size()) == pattern) starts.push_back(static_cast<std::uint32_t>(i));
  }
  return starts;
}

// A replacement put together another way: each match start emits the
// replacement, and a text code stays unless some match covers it.
std::u16string plainReplace(std::u16string_view text, std::u16string_view pattern, std::u16string_view insert) {
  const auto starts = plainSearch(text, pattern);
  std::vector<bool> covered(text.size()), start(text.size());
  for (std::uint32_t s : starts) {
    start[s] = true;
    for (size_t k = 0; k < pattern.size(); ++k) covered[s + k] = true;
  }
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (start[i]) out += insert;
    if (!covered[i]) out += text[i];
  }
  return out;
}

// Random texts over a small alphabet: uniform, or a short unit repeated
// with a few changes (which drives the search into its fallback).
class TextMaker {
 public:
  std::u16string text(size_t length, int alphabet) {
    std::u16string s;
    if (coin(rng_) == 0) {
      for (size_t i = 0; i < length; ++i) s += code(alphabet);
    } else {
      std::u16string unit;
      for (size_t k = 1 + rng_() % 4; k > 0; --k) unit += code(alphabet);
      while (s.size() < length) s += unit;
      s.resize(length);
      for (size_t k = rng_() % 3; k > 0 && length > 0; --k) s[rng_() % length] = code(alphabet);
    }
    return s;
  }
  // A pattern: a piece of the text (or random), up to maxLength codes.
  std::u16string pattern(const std::u16string &text, size_t maxLength, int alphabet) {
    const size_t length = rng_() % (maxLength + 1);
    if (coin(rng_) == 0 || text.size() < length) return this->text(length, alphabet);
    return text.substr(rng_() % (text.size() - length + 1), length);
  }

 private:
  // Codes on both sides of 255 and the top code, so no byte-wise shortcut
  // can pass.
  char16_t code(int alphabet) {
    static constexpr char16_t kCodes[] = {u'a', 0x0161, 0xffff};
    return kCodes[rng_() % static_cast<unsigned>(alphabet)];
  }
  std::mt19937 rng_{20240515};
  std::uniform_int_distribution<int> coin{0, 1};
};

TEST(StringSearch, FindsEveryOverlappingMatchLikeAPlainSearch) {
  TextMaker maker;
  for (int round = 0; round < 20000; ++round) {
    const int alphabet = 1 + round % 3;
    const std::u16string text = maker.text(static_cast<size_t>(round % 7 == 0 ? 600 : round % 90), alphabet);
    const std::u16string pattern = maker.pattern(text, round % 5 == 0 ? 40 : 6, alphabet);
    ASSERT_EQ(found(text, pattern), plainSearch(text, pattern)) << "round " << round;
  }
}

TEST(StringSearch, ReplacesLikeAPlainReplacement) {
  TextMaker maker;
  for (int round = 0; round < 3000; ++round) {
    const int alphabet = 1 + round % 3;
    const std::u16string text = maker.text(static_cast<size_t>(1 + round % 60), alphabet);
    const std::u16string pattern = maker.pattern(text, 5, alphabet);
    const std::u16string insert = maker.text(static_cast<size_t>(round % 4), alphabet);
    Array r = result("strrep", {chars(text).get(), chars(pattern).get(), chars(insert).get()});
    ASSERT_EQ(codesOf(r.get()), plainReplace(text, pattern, insert)) << "round " << round;
    // strfind reports the same matches, 1-based.
    Array p = result("strfind", {chars(text).get(), chars(pattern).get()});
    std::vector<double> expected;
    for (std::uint32_t s : plainSearch(text, pattern)) expected.push_back(s + 1.0);
    ASSERT_EQ(realsOf(p.get()), expected) << "round " << round;
  }
}

TEST(StringSearch, RunsInLinearTimeOnRepetitiveTexts) {
  // A screen-and-check search would compare a million codes at each of
  // these positions; a linear one takes milliseconds.
  const std::u16string run(4000000, u'a');
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(found(run, std::u16string(1000000, u'a')).size(), 3000001u);
  EXPECT_TRUE(found(run, std::u16string(1000, u'a') + u'b').empty());
  std::u16string blocks;
  for (int k = 0; k < 4000; ++k) blocks += std::u16string(999, u'a') + u'b';
  EXPECT_EQ(found(blocks, std::u16string(999, u'a') + u'b').size(), 4000u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(StringSearch, MatchListGrowsPastItsFirstBlock) {
  Array p = result("strfind", {chars(std::u16string(5000, u'x')).get(), chars(u"xx").get()});
  ASSERT_EQ(dimsOf(p.get()), (std::vector<int>{1, 4999}));
  EXPECT_EQ(realsOf(p.get()).back(), 4999.0);
}

TEST(NumericSearch, ComparesValuesWithEquality) {
  const double nan = std::nan("");
  // -0 equals 0; NaN in the pattern matches nothing, even a NaN.
  EXPECT_EQ(realsOf(result("strfind", {row({1, -0.0, 1, 0, 1}).get(), row({0, 1}).get()}).get()),
            (std::vector<double>{2, 4}));
  EXPECT_TRUE(qxIsEmpty(result("strfind", {row({1, nan, 2}).get(), row({nan, 2}).get()}).get()));
  // Other classes are read as doubles; char against numbers too.
  Array bytes(qxCreateNumericMatrix(1, 3, QX_CLASS_UINT8, 0));
  std::copy_n("\x61\x62\x63", 3, static_cast<char *>(qxGetData(bytes.get())));
  EXPECT_EQ(realsOf(result("findstr", {bytes.get(), chars(u"bc").get()}).get()), (std::vector<double>{2}));
}

TEST(NumericSearch, MatchesComplexValuesOnlyAgainstComplexValues) {
  auto complexRow = [](std::initializer_list<double> re, std::initializer_list<double> im) {
    Array a(qxCreateDoubleMatrix(1, static_cast<int>(re.size()), 1));
    std::copy(re.begin(), re.end(), qxGetPr(a.get()));
    std::copy(im.begin(), im.end(), qxGetPi(a.get()));
    return a;
  };
  Array text = complexRow({1, 1, 1}, {0, 2, 2});
  EXPECT_EQ(realsOf(result("strfind", {text.get(), complexRow({1}, {2}).get()}).get()), (std::vector<double>{2, 3}));
  EXPECT_TRUE(qxIsEmpty(result("strfind", {text.get(), num(1).get()}).get()));
  EXPECT_TRUE(qxIsEmpty(result("strfind", {text.get(), complexRow({1}, {std::nan("")}).get()}).get()));
}

}  // namespace
}  // namespace zqtest
