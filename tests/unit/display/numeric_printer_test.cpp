// The numeric printer as a user sees it through display and disp: number
// formats, scale factors, special values, classes, empty values, sparse
// labels, column chunks and stop requests.
#include "display/numeric_printer.h"

#include <climits>
#include <cmath>
#include <numbers>
#include <string>

#include "builtins/zqbuiltins.h"
#include "display/display_support.h"
#include "host/ut.h"

namespace zqtest {
namespace {

constexpr double kInf = INFINITY;
constexpr double kNaN = NAN;
constexpr double kPi = std::numbers::pi;

// One value shown by disp in loose mode under a format.
struct BodyCase {
  const char *format;
  const char *modifier;
  Array value;
  const char *expected;
};

void expectBodies(const BodyCase *begin, const BodyCase *end) {
  for (const BodyCase *c = begin; c != end; ++c) {
    setFormat(c->format, c->modifier);
    const Shown s = show("disp", c->value.get());
    EXPECT_EQ(s.error, "");
    EXPECT_EQ(s.out, c->expected) << "format " << c->format << " " << c->modifier << ", case " << (c - begin);
  }
}

class NumericPrinterTest : public DisplayTest {};

TEST_F(NumericPrinterTest, RealMatricesTakeOneFormatAndScaleFactor) {
  const BodyCase cases[] = {
      {"short", "", row({1, 123.456}), "    1.0000  123.4560\n\n"},
      {"long", "", row({1, 123.456}), "   1.0e+02 *\n\n   0.01000000000000   1.23456000000000\n\n"},
      {"short", "", row({0.001, 0.002}), "    0.0010    0.0020\n\n"},
      {"short", "", row({1000, 2}), "        1000           2\n\n"},
      {"short", "", row({0, -0.0}), "     0     0\n\n"},
      {"short", "", num(kInf), "   Inf\n\n"},
      {"short", "", row({0.5, kNaN}), "    0.5000       NaN\n\n"},
      {"short", "g", row({kPi, 1e-5}), "       3.1416        1e-05\n\n"},
      {"short", "e", num(7), "     7\n\n"},
      {"bank", "", row({0, -kInf}), "             0          -Inf\n\n"},
      {"bank", "", num(1e10), "10000000000.00\n\n"},
  };
  expectBodies(std::begin(cases), std::end(cases));
}

TEST_F(NumericPrinterTest, ComplexMatricesShowSignAndMagnitudeOfImaginaryParts) {
  const BodyCase cases[] = {
      {"short", "", complexMat(1, 1, {1}, {-2}), "   1.0000 - 2.0000i\n\n"},
      {"short", "g", complexMat(1, 1, {3}, {4}), "           3 +          4i\n\n"},
      {"short", "", complexMat(1, 1, {1000}, {1}), "  1.0000e+03 + 1.0000e+00i\n\n"},
      {"short", "", complexMat(1, 1, {kInf}, {-kInf}), "      Inf -    Infi\n\n"},
      {"short", "", complexMat(1, 1, {2}, {0}), "     2\n\n"},
  };
  expectBodies(std::begin(cases), std::end(cases));
}

TEST_F(NumericPrinterTest, IntegerAndSingleClassesUseTheSameRules) {
  const BodyCase cases[] = {
      {"short", "", typed(QX_CLASS_UINT32, 1, 1, {4294967295.0}), "   4.2950e+09\n\n"},
      {"short", "", typed(QX_CLASS_INT8, 1, 1, {-128}), "  -128\n\n"},
      {"short", "", typed(QX_CLASS_UINT16, 1, 1, {65535}), "       65535\n\n"},
      {"short", "", typed(QX_CLASS_SINGLE, 1, 1, {0.5}), "    0.5000\n\n"},
      {"long", "", typed(QX_CLASS_SINGLE, 1, 2, {0.5, 1}), "   0.50000000000000   1.00000000000000\n\n"},
      {"short", "", typed(QX_CLASS_SINGLE, 1, 1, {kInf}), "   Inf\n\n"},
  };
  expectBodies(std::begin(cases), std::end(cases));
}

// A value named name shown by display in loose and in compact mode.
struct NamedCase {
  Array value;
  const char *loose;
  const char *compact;
};

Array emptyArray(int classId, std::initializer_list<int> dims) {
  const std::vector<int> d(dims);
  return Array(qxCreateNumericArray(static_cast<int>(d.size()), d.data(), classId, 0));
}

Array sparseWith(int m, int n, std::initializer_list<int> rows, std::initializer_list<int> cols,
                 std::initializer_list<double> values, std::initializer_list<double> imag = {}) {
  Array s(qxCreateSparse(m, n, static_cast<int>(values.size()), imag.size() != 0));
  int *ir = qxGetIr(s.get());
  int *jc = qxGetJc(s.get());
  std::vector<int> r(rows), c(cols);
  std::vector<double> v(values), y(imag);
  for (size_t k = 0; k < v.size(); ++k) {
    ir[k] = r[k] - 1;
    qxGetPr(s.get())[k] = v[k];
    if (!y.empty()) qxGetPi(s.get())[k] = y[k];
    for (int j = c[k]; j <= n; ++j) jc[j] = static_cast<int>(k) + 1;
  }
  return s;
}

TEST_F(NumericPrinterTest, NameLinesAndEmptyValuesInLooseAndCompactMode) {
  NamedCase cases[] = {
      {num(5), "\nans =\n\n     5\n\n", "ans =\n     5\n"},
      {named(row({1, 1000.5}), "v"), "\nv =\n\n   1.0e+03 *\n\n    0.0010    1.0005\n\n",
       "v =\n   1.0e+03 *\n    0.0010    1.0005\n"},
      {named(mat(0, 3, {}), "z"), "\nz =\n\n   Empty matrix: 0-by-3\n\n", "z =\n   Empty matrix: 0-by-3\n"},
      {mat(0, 3, {}), "", ""},
      {named(emptyArray(QX_CLASS_INT8, {0, 0}), "i"), "\ni =\n\n     []\n\n", "i =\n     []\n"},
      {named(sparseWith(INT_MAX, 2, {}, {}, {}), "s"), "\ns =\n\n   All zero sparse: Inf-by-2\n\n",
       "s =\n   All zero sparse: Inf-by-2\n"},
      {sparseWith(3, 4, {}, {}, {}), "", ""},
  };
  for (const char *spacing : {"loose", "compact"}) {
    setFormat(spacing);
    for (const NamedCase &c : cases) {
      const Shown s = show("display", c.value.get());
      EXPECT_EQ(s.error, "");
      EXPECT_EQ(s.out, spacing[0] == 'l' ? c.loose : c.compact) << spacing << " " << qxGetName(c.value.get());
    }
  }
}

TEST_F(NumericPrinterTest, SparseRowsCarryTheirIndexLabels) {
  const BodyCase cases[] = {
      {"short", "", sparseWith(3, 3, {1, 3}, {1, 1}, {1, 2000}),
       "   (1,1)              1\n   (3,1)           2000\n\n"},
      {"short", "", sparseWith(20000, 3, {12345}, {2}, {5}), "     (12345,2)              5\n\n"},
      {"+", "", sparseWith(2, 2, {2, 1}, {1, 2}, {7, -1}), "   (2,1)   +\n   (1,2)   -\n\n"},
  };
  expectBodies(std::begin(cases), std::end(cases));
}

TEST_F(NumericPrinterTest, SparseLabelsKeepTheCommaInPlace) {
  const struct {
    int row, col, width;
    const char *label;
  } cases[] = {
      {2, 1, 11, "   (2,1)   "},
      {123, 45, 11, " (123,45)  "},
      {123456, 1, 11, "(123456,1) "},
      {1234567, 1234, 11, "(1234567,1234)"},
      {1, 1, 23, "         (1,1)         "},
      {2147483647, 2147483647, 23, "(2147483647,2147483647)"},
  };
  for (const auto &c : cases) {
    char buffer[zq::display::kSparseLabelSize];
    zq::display::formatSparseIndex(c.row, c.col, buffer, c.width);
    EXPECT_STREQ(buffer, c.label) << c.row << "," << c.col;
  }
}

// The column-chunk headings and rows of a matrix printed by disp in a window
// of the given width.
struct ChunkCase {
  const char *columns;
  const char *spacing;
  Array value;
  const char *expected;
};

TEST_F(NumericPrinterTest, WideMatricesSplitIntoColumnChunksOfTheWindowWidth) {
  Array twenty(qxCreateDoubleMatrix(1, 20, 0));
  for (int j = 0; j < 20; ++j) qxGetPr(twenty.get())[j] = j + 1.5;
  const ChunkCase cases[] = {
      {"30", "loose", row({1, 2, 3, 4, 5, 6}),
       "  Columns 1 through 4 \n\n     1     2     3     4\n\n  Columns 5 through 6 \n\n     5     6\n\n"},
      {"20", "compact", row({1, 2, 3, 4, 5, 6, 7}),
       "  Columns 1 through 3 \n     1     2     3\n  Columns 4 through 6 \n     4     5     6\n"
       "  Column 7 \n     7\n"},
      {"5", "compact", row({1, 2}), "  Column 1 \n     1\n  Column 2 \n     2\n"},
      {"80", "compact", row({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}),
       "     1     2     3     4     5     6     7     8     9    10    11    12    13\n"},
      {"40", "compact", mat(2, 2, {1, 3, 2, 4}), "     1     2\n     3     4\n"},
      {"32", "compact", complexMat(1, 2, {1, 2}, {1, 1}),
       "  Column 1 \n   1.0000 + 1.0000i\n  Column 2 \n   2.0000 + 1.0000i\n"},
  };
  for (const ChunkCase &c : cases) {
    setenv("COLUMNS", c.columns, 1);
    setFormat(c.spacing);
    EXPECT_EQ(show("disp", c.value.get()).out, c.expected) << "COLUMNS=" << c.columns;
  }
  setenv("COLUMNS", "80", 1);
  setFormat("loose");
  const std::string out = show("disp", twenty.get()).out;
  EXPECT_NE(out.find("  Columns 1 through 7 \n\n"), std::string::npos);
  EXPECT_NE(out.find("\n\n  Columns 8 through 14 \n\n"), std::string::npos);
  EXPECT_NE(out.find("\n\n  Columns 15 through 20 \n\n"), std::string::npos);
  EXPECT_NE(out.find("\n   15.5000   16.5000   17.5000   18.5000   19.5000   20.5000\n\n"), std::string::npos);
}

TEST_F(NumericPrinterTest, StopRequestEndsTheOutputBeforeTheNextRow) {
  Array x = named(mat(2, 2, {1, 3, 2, 4}), "x");
  Array s = named(sparseWith(2, 2, {2}, {1}, {7}), "s");
  zqhost::setStopPrinting(true);
  for (const char *format : {"short", "+", "rat"}) {
    setFormat(format);
    EXPECT_EQ(show("display", x.get()).out, "\nx =\n\n\n") << format;
  }
  setFormat("short");
  EXPECT_EQ(show("display", s.get()).out, "\ns =\n\n   (2,1)   \n");
}

// display leaves through the interrupt; disp cannot be interrupted, but the
// host asks its printer to stop while an interrupt is pending, and the
// interrupt stays pending for the host to report.
TEST_F(NumericPrinterTest, InterruptLeavesDisplayAndStopsDisp) {
  Array x = named(mat(2, 1, {1, 2}), "x");
  zqhost::requestInterrupt();
  {
    StdoutCapture capture;
    EXPECT_THROW(call("display", 0, {x.get()}), zqhost::Interrupt);
    EXPECT_EQ(capture.text(), "\nx =\n\n");
  }
  EXPECT_FALSE(zqhost::interruptPending());
  zqhost::requestInterrupt();
  EXPECT_EQ(show("disp", x.get()).out, "\n");
  EXPECT_TRUE(zqhost::interruptPending());
  zqhost::clearInterrupt();
}

TEST_F(NumericPrinterTest, SpecialTextsFillTheFieldFromTheRight) {
  const struct {
    double value;
    int width;
    int imaginary;
    int result;
    const char *text;
  } cases[] = {
      {0.0, 6, 0, 1, "     0"}, {-0.0, 4, 0, 1, "   0"},     {0.0, 7, 1, 1, "       "},
      {kNaN, 5, 0, 1, "  NaN"}, {kInf, 5, 1, 1, "  Inf"},    {-kInf, 5, 0, 1, " -Inf"},
      {kNaN, 2, 0, 1, " NaN"},  {1.5, 6, 0, 0, "unchanged"}, {-1e-300, 6, 0, 0, "unchanged"},
  };
  for (const auto &c : cases) {
    char buffer[32] = "unchanged";
    EXPECT_EQ(bnPrintToStringNanOrInf(buffer, &c.value, c.width, c.imaginary), c.result) << c.value;
    EXPECT_STREQ(buffer, c.text) << c.value;
  }
}

}  // namespace
}  // namespace zqtest
