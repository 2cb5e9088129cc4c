// The special print formats: rational, hex, "+" and debug.
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>

#include "display/display_support.h"
#include "display/numeric_printer.h"

namespace zqtest {
namespace {

constexpr double kInf = INFINITY;
constexpr double kNaN = NAN;

struct FormatBody {
  const char *format;
  Array value;
  const char *expected;
};

void expectBodies(const FormatBody *begin, const FormatBody *end) {
  for (const FormatBody *c = begin; c != end; ++c) {
    setFormat(c->format);
    EXPECT_EQ(show("disp", c->value.get()).out, c->expected) << c->format << ", case " << (c - begin);
  }
}

class AlternateFormatsTest : public DisplayTest {};

TEST_F(AlternateFormatsTest, ContinuedFractionsRoundTheirQuotients) {
  const struct {
    double x, p, q;
  } cases[] = {
      {0.5, 1, 2},
      {-0.75, -3, 4},
      {std::numbers::pi, 355, 113},
      {0, 0, 1},
      {0.6, 3, 5},
      {1.0 / 3, 1, 3},
      {1e-7, 1, 10000000},
      {-2, -2, 1},
      {kNaN, 0, 0},
      {kInf, 1, 0},
      {-kInf, -1, 0},
      {1.0 / 1234567, 1, 1234567},
      // Subnormals: the next quotient would be infinite, so the last
      // finite fraction stands.
      {5e-324, 0, 1},
      {-1e-310, 0, 1},
      {1e-300, 1, 1 / 1e-300},
  };
  for (const auto &c : cases) {
    double p = -99;
    double q = -99;
    zq::display::rationalApprox(c.x, 1e-6, &p, &q);
    EXPECT_EQ(p, c.p) << c.x;
    EXPECT_EQ(q, c.q) << c.x;
  }
}

TEST_F(AlternateFormatsTest, RationalFormatPrintsFractionsInFixedFields) {
  const FormatBody cases[] = {
      {"rat", complexMat(1, 2, {1, 1}, {1.0 / 123457, 1.0 / 12345}),
       "      1       +      *            1       +    1/12345i\n\n"},
      {"rat", complexMat(1, 1, {0}, {1.0 / 7}), "      0       +    1/7i    \n\n"},
      {"rat", row({5e-324, 1}), "      0            1      \n\n"},
      {"rat", complexMat(1, 1, {1}, {1e-310}), "      1       +    0i      \n\n"},
  };
  expectBodies(std::begin(cases), std::end(cases));
}

TEST_F(AlternateFormatsTest, HexFormatPrintsStoredBitsByClass) {
  const FormatBody cases[] = {
      {"hex", num(-0.0), "   8000000000000000\n\n"},
      {"hex", num(kInf), "   7ff0000000000000\n\n"},
      {"hex", typed(QX_CLASS_UINT8, 1, 2, {10, 200}), "   0a   c8\n\n"},
      {"hex", typed(QX_CLASS_INT16, 1, 1, {-2}), "   fffe\n\n"},
      {"hex", typed(QX_CLASS_INT32, 1, 1, {-2}), "   fffffffe\n\n"},
      {"hex", typed(QX_CLASS_UINT32, 1, 1, {4294967295.0}), "   ffffffff\n\n"},
      {"hex", typed(QX_CLASS_SINGLE, 1, 1, {1}), "   3f800000\n\n"},
  };
  expectBodies(std::begin(cases), std::end(cases));
}

TEST_F(AlternateFormatsTest, PlusFormatPrintsOneSignPerElement) {
  const FormatBody cases[] = {
      {"+", complexMat(1, 2, {0, -1}, {5, 5}), " -\n\n"},
      {"+", typed(QX_CLASS_INT8, 1, 3, {-3, 3, 0}), "-+ \n\n"},
  };
  expectBodies(std::begin(cases), std::end(cases));
  const std::string wide(200, '+');
  Array ones(qxOnes(1, 200));
  EXPECT_EQ(show("disp", ones.get()).out, wide + "\n\n");
  Array x = named(row({1, -1}), "x");
  setFormat("compact");
  EXPECT_EQ(show("display", x.get()).out, "x =\n+-\n");
  // In a cell the one-value text of a zero (a blank) keeps its brackets
  // apart, so it does not read as an empty element.
  Array cells(qxCreateCellMatrix(1, 4));
  const double values[] = {0, 1, -1, kNaN};
  for (int i = 0; i < 4; ++i) qxSetCell(cells.get(), i, qxCreateScalarDouble(values[i]));
  setFormat("+");
  EXPECT_EQ(show("disp", cells.get()).out, "    [ ]    [+]    [-]    [ ]\n");
}

// The output with every nonzero hex address of the debug line replaced by
// '#', so that the rest of the text can be compared exactly.
std::string maskAddresses(const std::string &text) {
  std::string out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(start, end - start);
    for (const char *label : {"Structure address = ", "pr = ", "pi = "}) {
      const size_t n = std::strlen(label);
      if (line.compare(0, n, label) != 0) continue;
      const size_t stop = line.find_first_not_of("0123456789abcdef", n);
      if (stop > n + 1 || line[n] != '0') line = line.substr(0, n) + "#" + line.substr(stop);
    }
    out += line;
    start = end;
  }
  return out;
}

TEST_F(AlternateFormatsTest, DebugFormatDescribesTheArrayThenPrintsShort) {
  setFormat("debug");
  Array x = named(row({1, 123.456}), "x");
  EXPECT_EQ(maskAddresses(show("display", x.get()).out),
            "\nx =\n\n\nStructure address = # \nm = 1 \nn = 2\npr = # \npi = 0\n    1.0000  123.4560\n\n");
  Array z = complexMat(1, 1, {1}, {1});
  EXPECT_EQ(maskAddresses(show("disp", z.get()).out),
            "\nStructure address = # \nm = 1 \nn = 1\npr = # \npi = #\n   1.0000 + 1.0000i\n\n");
}

}  // namespace
}  // namespace zqtest
