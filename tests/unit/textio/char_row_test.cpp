// The char row that sprintf builds: runs of codes from char arguments are
// copied straight into it, everything else is written as bytes and widened.
// Both paths must give the same text, so the row is checked against the
// byte-only sink over generated formats and data.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/host_fixture.h"
#include "textio/output.h"

namespace {

using namespace zq::textio;
using zqtest::Array;
using zqtest::call;
using zqtest::str;

// One data argument: char codes or doubles.
struct Data {
  bool isChar;
  std::vector<qxChar> codes;
  std::vector<double> values;
  ElementSource source() const {
    ElementSource s;
    s.textual = isChar;
    s.chars = codes.data();
    s.values = values.data();
    s.count = static_cast<int>(isChar ? codes.size() : values.size());
    return s;
  }
};

// What the engine makes of format and data with sink: the codes returned
// by run and finish, and the characters counted.
struct Outcome {
  std::vector<int> codes;
  double count = 0;
};
Outcome runEngine(const std::string &format, const std::vector<Data> &data, OutputSink &sink) {
  OutputEngine engine(format, sink);
  Outcome outcome;
  int n = 0;
  for (const Data &d : data) {
    ElementSource source = d.source();
    outcome.codes.push_back(engine.run(source, ++n));
    if (outcome.codes.back() != kErrNone) break;
  }
  if (outcome.codes.back() == kErrNone) outcome.codes.push_back(engine.finish());
  outcome.count = engine.count();
  return outcome;
}

// Char data with long plain runs (several copy blocks), and now and then a
// 0, a code above 255 or a boundary code.
Data randomChars(std::mt19937 &rng) {
  static const qxChar kOdd[] = {0, 1, 255, 256, 300, 0xffff, ' '};
  Data d{true, {}, {}};
  const int length = static_cast<int>(rng() % 4 == 0 ? rng() % 8 : rng() % 700);
  for (int i = 0; i < length; ++i) {
    d.codes.push_back(rng() % 150 == 0 ? kOdd[rng() % std::size(kOdd)] : static_cast<qxChar>('a' + rng() % 26));
  }
  return d;
}

Data randomDoubles(std::mt19937 &rng) {
  Data d{false, {}, {}};
  for (int i = static_cast<int>(rng() % 5); i > 0; --i) d.values.push_back(static_cast<double>(rng() % 300) - 20);
  return d;
}

std::string randomFormat(std::mt19937 &rng) {
  static const char *const kPieces[] = {"%s", "%7s",  "%-7s", "%.3s", "%.0s", "%*s", "%.*s", "%-*s", "%12.5s",     "%d",
                                        "%c", "<%s>", "ab",   "%%",   "%-3c", "%x",  "%0s",  "%+5s", "%268435457s"};
  std::string format;
  for (int i = static_cast<int>(1 + rng() % 4); i > 0; --i) format += kPieces[rng() % std::size(kPieces)];
  return format;
}

TEST(CharRow, CopiedCodeRunsGiveTheSameTextAsTheBytePath) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 3000; ++trial) {
    const std::string format = randomFormat(rng);
    std::vector<Data> data;
    for (int i = static_cast<int>(1 + rng() % 3); i > 0; --i)
      data.push_back(rng() % 3 == 0 ? randomDoubles(rng) : randomChars(rng));

    StringSink bytes;
    const Outcome expected = runEngine(format, data, bytes);
    CharRowSink row;
    const Outcome got = runEngine(format, data, row);
    Array text(row.takeRow());

    ASSERT_EQ(got.codes, expected.codes) << format << " trial " << trial;
    EXPECT_EQ(got.count, expected.count) << format << " trial " << trial;
    ASSERT_EQ(qxGetM(text.get()), 1);
    const std::string_view want = bytes.text();
    ASSERT_EQ(static_cast<size_t>(qxGetN(text.get())), want.size()) << format << " trial " << trial;
    const qxChar *codes = qxGetChars(text.get());
    for (size_t i = 0; i < want.size(); ++i) {
      ASSERT_EQ(codes[i], static_cast<unsigned char>(want[i])) << format << " trial " << trial << " at " << i;
    }
  }
}

TEST(CharRow, LongStringsComeBackWholeInOneRow) {
  std::string text(300000, 'x');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('A' + i % 50);
  Array s = str(text.c_str()), plain = str("%s"), padded = str("[%300005s]"), cut = str("%.100000s|"), empty = str("");
  struct {
    const char *what;
    const qxArray *format;
    std::string expected;
  } cases[] = {
      {"as it is", plain.get(), text},
      {"right-justified in a wider field", padded.get(), "[     " + text + "]"},
      {"cut by the precision", cut.get(), text.substr(0, 100000) + "|"},
  };
  for (const auto &c : cases) {
    auto r = call("sprintf", 1, {c.format, s.get()});
    ASSERT_EQ(r.error, "") << c.what;
    EXPECT_EQ(qxGetM(r.outputs[0].get()), 1) << c.what;
    EXPECT_EQ(zqtest::text(r.outputs[0].get()), c.expected) << c.what;
  }
  auto r = call("sprintf", 1, {plain.get(), empty.get()});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(qxGetM(r.outputs[0].get()), 1);
  EXPECT_EQ(qxGetN(r.outputs[0].get()), 0);
}

TEST(CharRow, RefusesAHugeFieldForCharDataAsForNumbers) {
  Array format = str("ab%2000000000s"), s = str("xyz");
  auto r = call("sprintf", 2, {format.get(), s.get()});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(zqtest::text(r.outputs[0].get()), "ab");
  EXPECT_EQ(zqtest::text(r.outputs[1].get()), "Not enough memory to print string.");
}

}  // namespace
