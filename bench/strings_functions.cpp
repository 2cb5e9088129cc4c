// The string functions against plain C++ doing the same job in the same
// run: strfind against std::search with a Boyer-Moore-Horspool searcher,
// strfind on an adversarial text against strfind on an ordinary one,
// strrep against a one-pass copy loop, upper and isspace against
// table-lookup loops, strcmp of two cells against a loop over
// std::u16string pairs. Each ends in "ratio NAME: X.XX" (first time over
// second).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "strings/case_tables.h"
#include "textio_bench_support.h"

namespace {

using zqbench::Array;
using zqbench::callBuiltin;

constexpr int kLongText = 50000000;
constexpr int kCells = 1000000;

// A 1-by-n char array of codes made by code(i).
template <class Code>
Array charRow(int n, Code code) {
  Array a(qxCreateNumericMatrix(1, n, QX_CLASS_CHAR, 0));
  qxChar *codes = qxGetChars(a.get());
  for (int i = 0; i < n; ++i) codes[i] = code(i);
  return a;
}

Array charRow(const std::u16string &s) {
  return charRow(static_cast<int>(s.size()), [&](int i) { return static_cast<qxChar>(s[i]); });
}

const qxChar *codes(const Array &a) { return qxGetChars(a.get()); }

std::mt19937 &rng() {
  static std::mt19937 generator(7);
  return generator;
}

// ---- strfind: 20 codes in 50 million random letters -----------------------

const Array &ordinaryText() {
  static const Array text = charRow(kLongText, [](int) { return static_cast<qxChar>('a' + rng()() % 26); });
  return text;
}

// Twenty codes from the middle of the text, so that there is a match.
const Array &ordinaryPattern() {
  static const Array pattern = charRow(20, [](int i) { return codes(ordinaryText())[kLongText / 2 + i]; });
  return pattern;
}

void zqFind(benchmark::State &state, const Array &text, const Array &pattern) {
  for (auto _ : state) {
    Array positions = callBuiltin("strfind", {text.get(), pattern.get()});
    benchmark::DoNotOptimize(qxGetPr(positions.get()));
  }
}

void zqOrdinaryFind(benchmark::State &state) { zqFind(state, ordinaryText(), ordinaryPattern()); }

void cOrdinaryFind(benchmark::State &state) {
  const qxChar *t = codes(ordinaryText()), *p = codes(ordinaryPattern());
  for (auto _ : state) {
    const std::boyer_moore_horspool_searcher searcher(p, p + 20);
    std::vector<double> positions;
    for (const qxChar *at = t; (at = std::search(at, t + kLongText, searcher)) != t + kLongText; ++at) {
      positions.push_back(static_cast<double>(at - t + 1));
    }
    benchmark::DoNotOptimize(positions.data());
  }
}

// 1,000 equal codes and one other, in 50 million of the equal code.
void zqAdversarialFind(benchmark::State &state) {
  static const Array text = charRow(kLongText, [](int) { return qxChar{'a'}; });
  static const Array pattern = charRow(std::u16string(1000, u'a') + u'b');
  zqFind(state, text, pattern);
}

// ---- strrep: 'abc' by 'VWXYZ' every 100 codes ------------------------------

const Array &replacedText() {
  static const Array text = charRow(kLongText, [](int i) {
    const int k = i % 100;
    return static_cast<qxChar>(k < 3 ? 'a' + k : 'd' + rng()() % 23);
  });
  return text;
}

void zqReplace(benchmark::State &state) {
  const Array pattern = charRow(u"abc"), insert = charRow(u"VWXYZ");
  for (auto _ : state) {
    Array r = callBuiltin("strrep", {replacedText().get(), pattern.get(), insert.get()});
    benchmark::DoNotOptimize(qxGetChars(r.get()));
  }
}

// Code by code into a fresh block large enough for any result.
void cReplace(benchmark::State &state) {
  const qxChar *t = codes(replacedText());
  constexpr qxChar kInsert[5] = {'V', 'W', 'X', 'Y', 'Z'};
  for (auto _ : state) {
    std::unique_ptr<qxChar[]> out(new qxChar[kLongText / 3 * 5 + 3]);
    qxChar *o = out.get();
    std::size_t i = 0;
    while (i + 3 <= kLongText) {
      if (t[i] == 'a' && t[i + 1] == 'b' && t[i + 2] == 'c') {
        o = std::copy_n(kInsert, 5, o);
        i += 3;
      } else {
        *o++ = t[i++];
      }
    }
    o = std::copy(t + i, t + kLongText, o);
    benchmark::DoNotOptimize(o);
  }
}

// ---- upper and isspace of 50 million codes ---------------------------------

const Array &mixedText() {
  static const Array text = charRow(kLongText, [](int) {
    static constexpr char kCodes[] = "aBcDeF gHiJ\tkLmNoP qRsT\nuVwXyZ";
    return static_cast<qxChar>(kCodes[rng()() % (sizeof kCodes - 1)]);
  });
  return text;
}

void zqUpper(benchmark::State &state) {
  for (auto _ : state) {
    Array r = callBuiltin("upper", {mixedText().get()});
    benchmark::DoNotOptimize(qxGetChars(r.get()));
  }
}

void cUpper(benchmark::State &state) {
  const qxChar *t = codes(mixedText());
  const auto &table = zq::strings::kUpperCase;
  for (auto _ : state) {
    std::unique_ptr<qxChar[]> out(new qxChar[kLongText]);
    for (int i = 0; i < kLongText; ++i) out[i] = t[i] < 256 ? table[t[i]] : t[i];
    benchmark::DoNotOptimize(out.get());
  }
}

void zqIsspace(benchmark::State &state) {
  for (auto _ : state) {
    Array r = callBuiltin("isspace", {mixedText().get()});
    benchmark::DoNotOptimize(qxGetPr(r.get()));
  }
}

void cIsspace(benchmark::State &state) {
  const qxChar *t = codes(mixedText());
  static const auto table = [] {
    std::array<double, 256> spaces{};
    for (int c : {9, 10, 11, 12, 13, 32}) spaces[c] = 1;
    return spaces;
  }();
  for (auto _ : state) {
    std::unique_ptr<double[]> out(new double[kLongText]);
    for (int i = 0; i < kLongText; ++i) out[i] = t[i] < 256 ? table[t[i]] : 0.0;
    benchmark::DoNotOptimize(out.get());
  }
}

// ---- strcmp of two cells of a million short strings ------------------------

// Strings of 1 to 8 letters; the second list changes every other one.
struct StringPairs {
  std::vector<std::u16string> first, second;
  Array firstCell{qxCreateCellMatrix(1, kCells)}, secondCell{qxCreateCellMatrix(1, kCells)};
  StringPairs() {
    for (int i = 0; i < kCells; ++i) {
      std::u16string s(1 + rng()() % 8, u'a');
      for (char16_t &c : s) c = static_cast<char16_t>('a' + rng()() % 26);
      first.push_back(s);
      if (i % 2 == 1) s.back() = u'#';
      second.push_back(s);
      qxSetCell(firstCell.get(), i, charRow(first.back()).release());
      qxSetCell(secondCell.get(), i, charRow(second.back()).release());
    }
  }
};

const StringPairs &pairs() {
  static const StringPairs p;
  return p;
}

void zqCompare(benchmark::State &state) {
  for (auto _ : state) {
    Array r = callBuiltin("strcmp", {pairs().firstCell.get(), pairs().secondCell.get()});
    benchmark::DoNotOptimize(qxGetPr(r.get()));
  }
}

void cCompare(benchmark::State &state) {
  for (auto _ : state) {
    std::vector<double> equal(kCells);
    for (int i = 0; i < kCells; ++i) equal[i] = pairs().first[i] == pairs().second[i];
    benchmark::DoNotOptimize(equal.data());
  }
}

}  // namespace

int main(int argc, char **argv) {
  struct Run {
    const char *name;
    void (*fn)(benchmark::State &);
  };
  const Run runs[] = {
      {"zq/strfind", zqOrdinaryFind},
      {"c/strfind", cOrdinaryFind},
      {"zq/strfind_adversarial", zqAdversarialFind},
      {"zq/strrep", zqReplace},
      {"c/strrep", cReplace},
      {"zq/upper", zqUpper},
      {"c/upper", cUpper},
      {"zq/isspace", zqIsspace},
      {"c/isspace", cIsspace},
      {"zq/strcmp", zqCompare},
      {"c/strcmp", cCompare},
  };
  // Make the data before any timing.
  ordinaryPattern();
  replacedText();
  mixedText();
  pairs();
  for (const Run &run : runs) benchmark::RegisterBenchmark(run.name, run.fn)->Unit(benchmark::kMillisecond);
  zqbench::RatioReporter reporter;
  zqbench::runBenchmarks(argc, argv, reporter);
  reporter.printRatio("strfind", "zq/strfind", "c/strfind");
  reporter.printRatio("strfind_adversarial_over_ordinary", "zq/strfind_adversarial", "zq/strfind");
  reporter.printRatio("strrep", "zq/strrep", "c/strrep");
  reporter.printRatio("upper", "zq/upper", "c/upper");
  reporter.printRatio("isspace", "zq/isspace", "c/isspace");
  reporter.printRatio("strcmp", "zq/strcmp", "c/strcmp");
  benchmark::Shutdown();
  return 0;
}
