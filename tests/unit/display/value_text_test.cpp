// The small texts the cell and structure printers build values from: one
// value in every print format, size summaries (objects ask the host), and
// the inline forms of field values.
#include "display/value_text.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "builtins/zqbuiltins.h"
#include "display/display_support.h"
#include "display/numeric_printer.h"
#include "display/printers.h"
#include "display/state.h"

namespace zqtest {
namespace {

using zq::display::formatScalar;

class ValueTextTest : public DisplayTest {};

TEST_F(ValueTextTest, OneValueTextsFollowTheMatrixRulesWithoutScaleFactor) {
  const double nan = std::nan("");
  const struct {
    const char *format;
    const char *modifier;
    double re;
    double im;
    bool complex;
    const char *expected;
  } cases[] = {
      {"short", "", 3, 0, false, "     3"},
      {"short", "", M_PI, 0, false, "    3.1416"},
      {"short", "", 123.456, 0, false, "  123.4560"},
      {"short", "", 12345.678, 0, false, "   1.2346e+04"},
      {"short", "", 1e10, 0, false, "   1.0000e+10"},
      {"long", "", 123.456, 0, false, "     1.234560000000000e+02"},
      {"short", "", nan, 0, false, "       NaN"},  // a NaN counts as a fraction
      {"short", "", INFINITY, 0, false, "   Inf"},
      {"short", "", 3, 4, true, "   3.0000+ 4.0000i"},  // complex short: no blank before the sign
      {"short", "", 3, -4, true, "   3.0000- 4.0000i"},
      {"short", "e", 3, 4, true, "  3.0000e+00 + 4.0000e+00i"},
      {"short", "", INFINITY, 0, true, "      Inf         "},  // a non-finite part makes it complex
      {"short", "", 1, nan, true, "   1.0000+    NaNi"},
      {"bank", "", 3, 4, true, "          3.00"},
      {"+", "", -2, 0, false, "-"},
      {"+", "", 0, 5, true, " "},
      {"hex", "", 1, 0, false, "   3ff0000000000000"},
      {"rat", "", 0.5, 0, false, "     1/2     "},
      {"rat", "", 1.0 / 1234567, 0, false, "     1/1234567"},        // no "*" for one value
      {"rat", "", INFINITY, 0, true, "     1/0                  "},  // zero imaginary part: 13 blanks
      {"rat", "", 0.5, 0.25, true, "     1/2      +    1/4i    "},
      {"debug", "", M_PI, 0, false, "    3.1416"},
  };
  for (const auto &c : cases) {
    setFormat(c.format, c.modifier);
    EXPECT_EQ(formatScalar(&c.re, c.complex ? &c.im : nullptr, QX_CLASS_DOUBLE), c.expected)
        << c.format << " " << c.modifier << " " << c.re << " " << c.im;
  }
  setFormat("short");
  EXPECT_EQ(formatScalar(nullptr, nullptr, QX_CLASS_DOUBLE), "");
  const int8_t minus = -7;
  const float third = 1.0f / 3;
  EXPECT_EQ(formatScalar(&minus, nullptr, QX_CLASS_INT8), "    -7");
  EXPECT_EQ(formatScalar(&third, nullptr, QX_CLASS_SINGLE), "    0.3333");
  setFormat("hex");
  EXPECT_EQ(formatScalar(&minus, nullptr, QX_CLASS_INT8), "   f9");
}

// Answers "size" calls and object sizes with a fixed vector, counting calls.
struct SizeAnswer {
  static inline std::vector<double> values;
  static inline int calls = 0;
  static qxArray *make() {
    if (values.empty()) return nullptr;
    qxArray *a = qxCreateDoubleMatrix(1, static_cast<int>(values.size()), 0);
    std::copy(values.begin(), values.end(), qxGetPr(a));
    return a;
  }
  static int callFunction(int, qxArray *plhs[], int, qxArray *[], const char *name) {
    ++calls;
    plhs[0] = std::string(name) == "size" ? make() : nullptr;
    return 0;
  }
  static qxArray *objectSize(const qxArray *) {
    ++calls;
    return make();
  }
};

// Installs the answering callbacks (or none) for one test and puts the
// previous ones back.
class CallbacksInstalled {
 public:
  explicit CallbacksInstalled(bool install) : saved_(zq::display::printCallbacks()) {
    const PrtCallbacks mine = {install ? SizeAnswer::callFunction : nullptr,
                               install ? SizeAnswer::objectSize : nullptr};
    bnSetPrtCallbacks(&mine);
    SizeAnswer::calls = 0;
  }
  ~CallbacksInstalled() { bnSetPrtCallbacks(&saved_); }

 private:
  PrtCallbacks saved_;
};

Array object(const char *className) { return Array(qxCreateObject(className, qxCreateStructMatrix(1, 1, 0, nullptr))); }

TEST_F(ValueTextTest, SizeTextsAlignTheirFirstDimensionAndAskObjectsForTheirSize) {
  const int four[] = {2, 3, 4, 5};
  Array cube(qxCreateCellArray(3, four));
  Array hyper(qxCreateCellArray(4, four));
  Array wide = mat(2, 3, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(zq::display::sizeText(wide.get()), "      2x3");
  EXPECT_EQ(zq::display::sizeText(cube.get()), "      2x3x4");
  EXPECT_EQ(zq::display::sizeText(hyper.get()), "      4-D");

  Array thing = object("widget");
  const double nan = std::nan("");
  const struct {
    bool install;
    std::vector<double> answer;
    const char *expected;
  } cases[] = {
      {false, {}, "      1x1"},  // no callbacks: its own size
      {true, {}, "      1x1"},   // no answer: its own size
      {true, {4, 2}, "      4x2"},       {true, {2147483647, 3}, "    Infx3"},
      {true, {nan, 1}, "    Infx1"},     {true, {-nan, 1}, "-2147483648x1"},
      {true, {1, 2, 3, 4}, "      4-D"},
  };
  for (const auto &c : cases) {
    const CallbacksInstalled callbacks(c.install);
    SizeAnswer::values = c.answer;
    EXPECT_EQ(zq::display::sizeText(thing.get()), c.expected);
    EXPECT_EQ(SizeAnswer::calls, c.install ? 1 : 0);
  }
  const CallbacksInstalled callbacks(true);
  Array plain(qxCreateStructMatrix(1, 2, 0, nullptr));
  EXPECT_EQ(zq::display::sizeText(plain.get()), "      1x2");
  EXPECT_EQ(SizeAnswer::calls, 0) << "a plain structure asked the host";
}

Array handles(int m, int n, std::initializer_list<const char *> names) {
  const int dims[] = {m, n};
  Array a(qxCreateNumericArray(2, dims, QX_CLASS_FUNCTION, 0));
  auto *records = static_cast<qxFunctionHandleRecord *>(qxGetData(a.get()));
  for (const char *name : names) qxFunctionHandleFromString(records++, name);
  return a;
}

Array cellOf(std::initializer_list<qxArray *> values) {
  Array c(qxCreateCellMatrix(1, static_cast<int>(values.size())));
  int i = 0;
  for (qxArray *v : values) qxSetCell(c.get(), i++, v);
  return c;
}

TEST_F(ValueTextTest, FieldValuesAreInlineOnlyWhenTheyFitOnOneLine) {
  Array sparseSmall(qxCreateSparse(1, 3, 1, 0));
  qxGetPr(sparseSmall.get())[0] = 5;
  qxGetIr(sparseSmall.get())[0] = 0;
  int *jc = qxGetJc(sparseSmall.get());
  jc[0] = 0, jc[1] = 0, jc[2] = 1, jc[3] = 1;
  Array sparseLong(qxCreateSparse(1, 100, 0, 0));
  Array twoLines = str("a\nb");
  Array column = mat(2, 1, {1, 2});
  Array numbers = row({1, 2.5, 3});
  Array fns = handles(1, 2, {"sin", "cos"});
  Array mixed = cellOf({qxCreateScalarDouble(1), qxCreateString("ab"), nullptr, qxCreateDoubleMatrix(0, 0, 0),
                        qxCreateCellMatrix(2, 2)});
  Array nested = cellOf({qxCreateString("a very long piece of text")});
  Array hi = str("hi");
  Array abcd = str("abcd");
  Array abcde = str("abcde");
  const struct {
    const char *what;
    const qxArray *value;
    std::size_t width;
    const char *expected;  // null: no inline form
  } cases[] = {
      {"string", hi.get(), 70, "'hi'"},
      {"string at the limit", abcd.get(), 6, "'abcd'"},
      {"string beyond it", abcde.get(), 6, nullptr},
      {"string with a newline", twoLines.get(), 70, nullptr},
      {"numbers, each in its own format", numbers.get(), 70, "[1 2.5000 3]"},
      {"numbers beyond the width", numbers.get(), 12, nullptr},
      {"a column", column.get(), 70, nullptr},
      {"small sparse row", sparseSmall.get(), 70, "[0 5 0]"},
      {"long sparse row", sparseLong.get(), 500, nullptr},
      {"handles", fns.get(), 70, "[@sin @cos]"},
      {"cell row", mixed.get(), 70, "{[1]  'ab'  []  []  {2x2 cell}}"},
      {"cell row beyond the width", mixed.get(), 20, nullptr},
      {"cell piece shown by its summary", nested.get(), 20, "{[1x25 char]}"},
  };
  for (const auto &c : cases) {
    const auto text = zq::display::structFieldInlineText(c.value, c.width);
    if (c.expected == nullptr) {
      EXPECT_FALSE(text.has_value()) << c.what << ": " << text.value_or("");
    } else {
      EXPECT_EQ(text.value_or("(none)"), c.expected) << c.what;
    }
  }
}

}  // namespace
}  // namespace zqtest
