// Cells, structures, objects, opaque values, function handles and N-D
// pages as display shows them: column chunks and alignment, the rules the
// shell cannot reach (objects, opaque values, narrow windows, stop
// requests, interrupts) and the page labels.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "builtins/zqbuiltins.h"
#include "display/display_support.h"
#include "display/printers.h"
#include "display/state.h"

namespace zqtest {
namespace {

Array cellMatrix(int m, int n, std::initializer_list<qxArray *> columnMajor) {
  Array c(qxCreateCellMatrix(m, n));
  int i = 0;
  for (qxArray *v : columnMajor) qxSetCell(c.get(), i++, v);
  return c;
}

Array handleArray(int ndims, const int *dims, std::initializer_list<const char *> names) {
  Array a(qxCreateNumericArray(ndims, dims, QX_CLASS_FUNCTION, 0));
  auto *records = static_cast<qxFunctionHandleRecord *>(qxGetData(a.get()));
  for (const char *name : names) qxFunctionHandleFromString(records++, name);
  return a;
}

std::string displayed(const qxArray *a) {
  const Shown s = show("display", a);
  EXPECT_EQ(s.error, "");
  return s.out;
}

// One fixture per printer.
class CellPrinterTest : public DisplayTest {};
class HandlePrinterTest : public DisplayTest {};
class StructPrinterTest : public DisplayTest {};
class ObjectPrinterTest : public DisplayTest {};
class OpaquePrinterTest : public DisplayTest {};
class PagePrinterTest : public DisplayTest {};
class CharPrinterTest : public DisplayTest {};

TEST_F(CellPrinterTest, ColumnsSplitIntoChunksThatFitTheWindow) {
  setenv("COLUMNS", "30", 1);
  Array three =
      named(cellMatrix(1, 3, {qxCreateString("abcdefgh"), qxCreateString("abcdefgh"), qxCreateString("ab")}), "c");
  EXPECT_EQ(displayed(three.get()), "\nc = \n\n  Columns 1 through 2\n\n    'abcdefgh'    'abcdefgh'\n\n    'ab'\n\n");
}

TEST_F(HandlePrinterTest, ColumnsSplitIntoChunksThatFitTheWindow) {
  const int dims[] = {1, 3};
  Array fns = named(handleArray(2, dims, {"sin", "cos", "tan"}), "h");
  setenv("COLUMNS", "24", 1);
  EXPECT_EQ(displayed(fns.get()), "\nh = \n\n  Columns 1 through 2\n\n    @sin    @cos\n\n    @tan\n\n");
  setenv("COLUMNS", "25", 1);
  EXPECT_EQ(displayed(fns.get()), "\nh = \n\n    @sin    @cos    @tan\n\n");
}

TEST_F(CellPrinterTest, SummariesLineUpOnTheirSizeClassAndBracket) {
  const int hyper[] = {2, 2, 2, 2};
  const int tall[] = {10, 1};
  Array c = named(cellMatrix(4, 2,
                             {qxCreateDoubleMatrix(2, 3, 0), qxCreateCharArray(2, tall),
                              qxCreateNumericArray(4, hyper, QX_CLASS_DOUBLE, 0), qxCreateCellMatrix(3, 1),
                              qxCreateScalarDouble(1), qxCreateScalarDouble(-2.5), qxCreateScalarDouble(3), nullptr}),
                  "c");
  EXPECT_EQ(displayed(c.get()),
            "\nc = \n\n"
            "    [ 2x3 double]    [      1]\n"
            "    [10x1 char  ]    [-2.5000]\n"
            "    [ 4-D double]    [      3]\n"
            "    { 3x1 cell  }           []\n\n");
}

TEST_F(CellPrinterTest, StringsAreQuotedWhileShortEnough) {
  const std::string thirty(30, 'z');
  Array lone = named(cellMatrix(2, 1, {qxCreateString(thirty.c_str()), qxCreateScalarDouble(1)}), "c");
  Array pair = named(cellMatrix(1, 2, {qxCreateString(thirty.c_str()), qxCreateScalarDouble(1)}), "c");
  EXPECT_EQ(displayed(lone.get()), "\nc = \n\n    '" + thirty + "'\n    [        1]\n\n");
  EXPECT_EQ(displayed(pair.get()), "\nc = \n\n    [1x30 char]    [1]\n\n");
  setFormat("long");
  EXPECT_EQ(displayed(pair.get()), "\nc = \n\n    '" + thirty + "'    [1]\n\n") << "long formats allow wide strings";
}

TEST_F(CellPrinterTest, EmptyArraysAndPagesNameTheirSize) {
  const int flat[] = {0, 3, 2};
  const int cube[] = {1, 1, 2};
  Array cells = named(Array(qxCreateCellArray(3, flat)), "c");
  Array cellPages = named(Array(qxCreateCellArray(3, cube)), "p");
  EXPECT_EQ(displayed(cells.get()), "\nc = \n\n   Empty cell array: 0-by-3-by-2\n\n");
  EXPECT_EQ(displayed(cellPages.get()), "\np(:,:,1) = \n\n    {[]}\n\n\np(:,:,2) = \n\n    {[]}\n\n");
}

TEST_F(HandlePrinterTest, EmptyArraysAndPagesNameTheirSize) {
  const int none[] = {0, 0};
  const int cube[] = {1, 1, 2};
  Array noHandles = named(handleArray(2, none, {}), "h");
  Array pages = named(handleArray(3, cube, {"sin", "cos"}), "h");
  EXPECT_EQ(displayed(noHandles.get()), "\nh = \n\n   Empty function_handle array: 0-by-0\n\n");
  EXPECT_EQ(displayed(pages.get()), "\nh(:,:,1) = \n\n    @sin\n\n\nh(:,:,2) = \n\n    @cos\n\n");
}

// A stop request ends the printing with the newline string.
TEST_F(CellPrinterTest, StopRequestEndsTheGrid) {
  Array cells = named(cellMatrix(1, 1, {qxCreateScalarDouble(1)}), "c");
  zqhost::setStopPrinting(true);
  EXPECT_EQ(displayed(cells.get()), "\nc = \n\n\n");
}

TEST_F(StructPrinterTest, StopRequestEndsTheFields) {
  const char *names[] = {"a", "b"};
  Array one = named(Array(qxCreateStructMatrix(1, 1, 2, names)), "s");
  Array many = named(Array(qxCreateStructMatrix(1, 2, 2, names)), "s");
  zqhost::setStopPrinting(true);
  EXPECT_EQ(displayed(one.get()), "\ns = \n\n\n");
  EXPECT_EQ(displayed(many.get()), "\ns = \n\n1x2 struct array with fields:\n\n");
}

TEST_F(HandlePrinterTest, StopRequestEndsTheGrid) {
  const int dims[] = {1, 2};
  Array fns = named(handleArray(2, dims, {"sin", "cos"}), "h");
  zqhost::setStopPrinting(true);
  EXPECT_EQ(displayed(fns.get()), "\nh = \n\n\n");
}

// The object printer's sizes come from the host's objectSize callback.
struct ObjectSizes {
  static inline std::vector<double> answer;
  static qxArray *objectSize(const qxArray *) {
    if (answer.empty()) return nullptr;
    qxArray *a = qxCreateDoubleMatrix(1, static_cast<int>(answer.size()), 0);
    std::copy(answer.begin(), answer.end(), qxGetPr(a));
    return a;
  }
};

TEST_F(ObjectPrinterTest, ShowsClassNameAndTheSizeItsClassReports) {
  const PrtCallbacks saved = zq::display::printCallbacks();
  const PrtCallbacks sizes = {nullptr, ObjectSizes::objectSize};
  const PrtCallbacks none = {nullptr, nullptr};
  Array widget = named(Array(qxCreateObject("widget", qxCreateStructMatrix(1, 2, 0, nullptr))), "w");
  const struct {
    const PrtCallbacks *callbacks;
    std::vector<double> answer;
    const char *expected;
  } cases[] = {
      {&sizes, {2, 3}, "\nw = \n\n\twidget object: 2-by-3\n\n"},
      {&sizes, {NAN, INFINITY, -INFINITY}, "\nw = \n\n\twidget object: NaN-by-Inf-by-Inf\n\n"},
      {&sizes, {1, 1, 1, 1}, "\nw = \n\n\twidget object: 4-D\n\n"},
      {&sizes, {7}, "\nw = \n\n\twidget object: 1-by-2\n\n"},  // too short: its own size
      {&none, {2, 3}, "\nw = \n\n\twidget object: 1-by-2\n\n"},
  };
  for (const auto &c : cases) {
    bnSetPrtCallbacks(c.callbacks);
    ObjectSizes::answer = c.answer;
    EXPECT_EQ(displayed(widget.get()), c.expected);
  }
  bnSetPrtCallbacks(&saved);
}

TEST_F(OpaquePrinterTest, ShowsClassNameAndSize) {
  const int single[] = {1, 1};
  const int grid[] = {2, 3};
  const int cube[] = {2, 3, 4};
  const int hyper[] = {1, 2, 3, 4};
  const struct {
    int ndims;
    const int *dims;
    const char *expected;
  } opaque[] = {
      {2, single, "\nq = \n\n\tcounter\n\n"},
      {2, grid, "\nq = \n\n\tcounter: 2-by-3\n\n"},
      {3, cube, "\nq = \n\n\tcounter: 2-by-3-by-4\n\n"},
      {4, hyper, "\nq = \n\n\tcounter: 4-D\n\n"},
  };
  for (const auto &c : opaque) {
    Array q = named(Array(qxCreateOpaque("counter", c.ndims, c.dims)), "q");
    EXPECT_EQ(displayed(q.get()), c.expected);
    EXPECT_EQ(show("disp", q.get()).out, std::string(c.expected).substr(7));
  }
}

TEST_F(PagePrinterTest, InterruptedPagesLeaveTheArrayIntact) {
  const int dims[] = {2, 1, 2};
  Array a = named(Array(qxCreateNumericArray(3, dims, QX_CLASS_DOUBLE, 1)), "A");
  for (int k = 0; k < 4; ++k) qxGetPr(a.get())[k] = k + 1, qxGetPi(a.get())[k] = -k;
  zqhost::requestInterrupt();
  {
    StdoutCapture capture;
    EXPECT_THROW(call("display", 0, {a.get()}), zqhost::Interrupt);
    EXPECT_EQ(capture.text(), "\nA(:,:,1) =\n\n");
  }
  EXPECT_EQ(displayed(a.get()),
            "\nA(:,:,1) =\n\n   1.0000          \n   2.0000 - 1.0000i\n\n"
            "\nA(:,:,2) =\n\n   3.0000 - 2.0000i\n   4.0000 - 3.0000i\n\n");
}

TEST_F(PagePrinterTest, LabelsAreCutShortAfterFiveHundredCharacters) {
  std::vector<int> dims(300, 1);
  dims.back() = 2;  // keeps the trailing singleton dimensions
  Array a = named(Array(qxCreateNumericArray(300, dims.data(), QX_CLASS_DOUBLE, 0)), "A");
  const std::string out = displayed(a.get());
  const std::size_t end = out.find(" =");
  ASSERT_NE(end, std::string::npos);
  const std::string label = out.substr(1, end - 1);
  EXPECT_GT(label.size(), 512u);
  EXPECT_LT(label.size(), 520u);
  EXPECT_EQ(label.substr(0, 10), "A(:,:,1,1,");
  EXPECT_EQ(label.back(), ')');
}

TEST_F(CharPrinterTest, RowsShowCodeZeroAsABlank) {
  const int dims[] = {2, 3};
  Array text = named(Array(qxCreateCharArray(2, dims)), "t");
  const qxChar codes[] = {'a', 'd', 0, 'e', 'c', 0};
  std::copy(codes, codes + 6, qxGetChars(text.get()));
  EXPECT_EQ(displayed(text.get()), "\nt =\n\na c\nde \n\n");
  EXPECT_EQ(show("disp", text.get()).out, "a c\nde \n");
  setFormat("compact");
  EXPECT_EQ(displayed(text.get()), "t =\na c\nde \n");
}

// Every printer finishes in every window of one column or more, in the
// formats whose limits follow the width. A printer that never finishes is
// cut off by the alarm and the child process fails; its output goes to
// /dev/null meanwhile.
TEST_F(DisplayTest, EveryPrinterFinishesInEveryWindowWidth) {
  const int dims[] = {1, 3};
  const char *fields[] = {"a", "long_field_name"};
  Array handles = handleArray(2, dims, {"sin", "cos", "a_long_function_name"});
  Array cells = cellMatrix(2, 3,
                           {qxCreateScalarDouble(1), qxCreateString("abc"), qxCreateDoubleMatrix(2, 3, 0),
                            qxCreateCellMatrix(0, 0), qxDuplicateArray(handles.get()), nullptr});
  Array structure(qxCreateStructMatrix(1, 1, 2, fields));
  qxSetFieldByNumber(structure.get(), 0, 0, qxCreateString("text"));
  qxSetFieldByNumber(structure.get(), 0, 1, qxCreateDoubleMatrix(1, 30, 0));
  Array numbers(qxCreateDoubleMatrix(3, 25, 0));
  const int pageDims[] = {2, 2, 2};
  Array pages(qxCreateCellArray(3, pageDims));
  const qxArray *values[] = {handles.get(), cells.get(), structure.get(), numbers.get(), pages.get()};
  EXPECT_EXIT(
      {
        alarm(20);
        if (std::freopen("/dev/null", "w", stdout) == nullptr) std::_Exit(2);
        for (const char *format : {"short", "long", "short g", "rat", "+"}) {
          for (int width = 1; width <= 90; ++width) {
            setenv("COLUMNS", std::to_string(width).c_str(), 1);
            setFormat(format);
            for (const qxArray *v : values) {
              qxArray *plhs[1] = {nullptr};
              qxArray *prhs[1] = {const_cast<qxArray *>(v)};
              bnFullPrintFcn(0, plhs, 1, prhs);
            }
          }
        }
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(DisplayTest, AOneColumnWindowShowsOneColumnPerChunk) {
  setenv("COLUMNS", "1", 1);
  const int dims[] = {1, 2};
  Array handles = named(handleArray(2, dims, {"sin", "cos"}), "h");
  EXPECT_EQ(displayed(handles.get()), "\nh = \n\n    @sin\n\n    @cos\n\n");
  Array cells = named(cellMatrix(1, 2, {qxCreateScalarDouble(1), qxCreateString("ab")}), "c");
  EXPECT_EQ(displayed(cells.get()), "\nc = \n\n    [1]\n\n    'ab'\n\n");
}

}  // namespace
}  // namespace zqtest
