// The numeric matrix printer: one scan of the matrix chooses a number format
// and a common scale factor, then the columns are printed in chunks that fit
// the window, with interrupt and stop checks once per output row.
#include "display/numeric_printer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "builtins/zqbuiltins.h"
#include "display/column_chunks.h"
#include "display/state.h"
#include "display/value_text.h"
#include "host/ut.h"
#include "host/zqservices.h"

namespace zq::display {
namespace {

// The class traits and the walking order of an array; host message 15 for
// a class the printer has no reader for.
MatrixView viewOf(const qxArray *a) {
  const ClassTraits *traits = findClassTraits(qxGetClassID(a));
  if (traits == nullptr) qxErrMsg(QX_MSG_INVALID_OPTION);
  MatrixView v{a,
               traits,
               static_cast<const char *>(qxGetData(a)),
               static_cast<const char *>(qxGetImagData(a)),
               qxGetElementSize(a),
               qxGetM(a),
               qxGetN(a),
               0,
               nullptr,
               nullptr,
               0};
  if (qxGetClassCode(a) == QX_CODE_SPARSE) {
    v.ir = qxGetIr(a);
    v.jc = qxGetJc(a);
    v.labelWidth = v.rows < 10000 && v.cols < 10000 ? 11 : 23;
    v.rows = v.jc[v.cols];
    v.cols = 1;
  }
  v.count = static_cast<std::size_t>(v.rows) * static_cast<std::size_t>(v.cols);
  return v;
}

}  // namespace

void printEmptyMessage(const qxArray *a) {
  const char *nl = newline();
  const int m = qxGetM(a);
  const int n = qxGetN(a);
  const int code = qxGetClassCode(a);
  if (code == QX_CODE_SPARSE) {
    if (m == INT_MAX) {
      utPrintf("   All zero sparse: Inf-by-%d\n%s", n, nl);
    } else {
      utPrintf("   All zero sparse: %d-by-%d\n%s", m, n, nl);
    }
  } else if (code == QX_CODE_CHAR) {
    if (m == 0 && n == 0) {
      utPrintf("     ''\n%s", nl);
    } else {
      utPrintf("   Empty string: %d-by-%d\n%s", m, n, nl);
    }
  } else if (qxGetNumberOfDimensions(a) > 2) {
    printEmptySizeMessage("array", a);
  } else if (m == 0 && n == 0) {
    utPrintf("     []\n%s", nl);
  } else {
    utPrintf("   Empty matrix: %d-by-%d\n%s", m, n, nl);
  }
}

namespace {

// What one scan of the matrix finds: the value kind (1 all whole numbers,
// 2 some fraction, 3 some nonzero imaginary part) and the largest finite
// magnitude.
struct MatrixScan {
  int kind = 1;
  double largest = 0.0;
};

// everyValue: non-finite values count too (a NaN real part is a fraction
// and a complex value with a non-finite part is of kind 3), as the text of
// a single value wants; the matrix printer skips them.
MatrixScan scanMatrix(const MatrixView &v, bool everyValue = false) {
  MatrixScan scan;
  const bool floating = v.traits->floating;
  for (std::size_t i = 0; i < v.count; ++i) {
    const double x = v.realAt(i);
    if (!floating) {
      scan.largest = std::max(scan.largest, std::fabs(x));
    } else if (utFinite(x)) {
      if (scan.kind == 1 && utFix(x) != x) scan.kind = 2;
      scan.largest = std::max(scan.largest, std::fabs(x));
    } else if (everyValue) {
      if (scan.kind == 1 && utIsNaN(x)) scan.kind = 2;
      if (v.imag != nullptr) scan.kind = 3;
    }
    if (v.imag == nullptr) continue;
    const double y = v.imagAt(i);
    if (y != 0.0) scan.kind = 3;
    if (!floating || utFinite(y)) scan.largest = std::max(scan.largest, std::fabs(y));
  }
  return scan;
}

// Chooses the number format and scale factor of a matrix from its scan.
// p is the print format, already mapped from debug to short.
ElementStyle chooseStyle(const MatrixView &v, MatrixScan scan, int p) {
  // Exponent of the largest magnitude; small exponents need no scaling.
  int e = scan.largest == 0.0 ? 0 : static_cast<int>(utFix(std::log10(scan.largest)));
  if (e >= -2 && e <= 1) e = 0;
  if (e == 2 && p == kShort && scan.kind == 2) e = 0;
  if (p == kHex || p == kRational) {
    e = 0;
    if (scan.kind == 1) scan.kind = 2;
  }
  // Format index: whole numbers get the integer formats unless they have
  // too many digits; a scalar gets exponent form instead of a scale factor.
  int f = 0;
  if (scan.kind == 1) {
    f = e <= 2 ? 0 : 1;
    if (e > 8) scan.kind = 2;
  }
  if (scan.kind == 2) f = p + 2;
  if (scan.kind == 3) f = p + kFirstComplexFormat - 1;
  if (v.count == 1 && e != 0 && (p == kShort || p == kLong) && scan.kind != 1) f += 2;
  if (p == kBank) f = 2;
  if (p == kRational) f = scan.kind == 2 ? 5 : 12;

  const bool scaled = f == 3 || f == 4 || f == 10 || f == 11;
  return ElementStyle{p, f, scaled ? std::pow(10.0, e) : 1.0, scan.kind == 3 && p != kBank, v.cols > 1, false};
}

// One element in a plain number format: special texts for zero, NaN and
// infinities, else the value divided by the scale factor; then, for complex
// matrices, the sign, the magnitude of the imaginary part and the 'i'.
void printPlainElement(TextSink &out, const MatrixView &v, const ElementStyle &s, std::size_t i) {
  const NumberFormat &re = kNumberFormats[s.format];
  char special[32];
  const double x = v.realAt(i);
  if (bnPrintToStringNanOrInf(special, &x, re.width, 0)) {
    out.print("%s", special);
  } else if (re.arg == FieldArg::Long) {
    out.print(re.text, static_cast<long>(x / s.scale));
  } else {
    out.print(re.text, x / s.scale);
  }
  if (!s.showImag) return;
  const NumberFormat &im = kNumberFormats[s.format + kImagFormatOffset];
  const double y = v.imagAt(i) / s.scale;
  const double magnitude = std::fabs(y);
  // A one-value text of complex short keeps the sign next to the real part.
  const char *signFormat = s.scalarText && s.format == kFirstComplexFormat ? "%c" : " %c";
  out.print(signFormat, y == 0.0 ? ' ' : (y < 0.0 ? '-' : '+'));
  if (bnPrintToStringNanOrInf(special, &magnitude, im.width, 1)) {
    out.print("%s", special);
  } else {
    out.print(im.text, magnitude);
  }
  out.print("%c", magnitude == 0.0 ? ' ' : 'i');
}

void printElement(TextSink &out, const MatrixView &v, const ElementStyle &s, std::size_t i) {
  if (s.printFormat == kHex) {
    printHexElement(out, v, s, i);
  } else if (s.printFormat == kRational) {
    printRationalElement(out, v, s, i);
  } else {
    printPlainElement(out, v, s, i);
  }
}

// The scale line, then the columns in chunks of as many as fit the window,
// each chunk headed by its column numbers when there is more than one.
void printChunks(const MatrixView &v, const ElementStyle &s) {
  if (s.scale != 1.0) utPrintf(" %9.1e *\n%s", s.scale, newline());
  const std::size_t room = static_cast<std::size_t>(std::max(0, ioGetNumWindowColumns() - 1));
  const std::size_t width = static_cast<std::size_t>(fieldWidth(s.format));
  printColumnChunks(
      v.cols, room, kMatrixHeadings, [width](int) { return width; },
      [&](int start, int end) {
        RowLabels labels(v);
        TextSink console;
        for (int i = 0; i < v.rows; ++i) {
          labels.startRow(i);
          if (stopRequested()) return false;
          for (int j = start; j < end; ++j) {
            printElement(console, v, s,
                         static_cast<std::size_t>(j) * static_cast<std::size_t>(v.rows) + static_cast<std::size_t>(i));
          }
          utPrintf("\n");
        }
        return true;
      });
}

}  // namespace

void printNameLine(const char *label) { utPrintf("%s%s =%s\n", newline(), label, newline()); }

void formatSparseIndex(int row, int col, char (&buffer)[kSparseLabelSize], int width) {
  int digits = 1;
  for (int r = row; r >= 10; r /= 10) ++digits;
  const int lead = std::max(0, (width - 1) / 2 - digits - 1);
  int used = std::snprintf(buffer, sizeof buffer, "%*s(%d,%d)", lead, "", row, col);
  used = std::clamp(used, 0, kSparseLabelSize - 1);
  const int end = std::clamp(width, used, kSparseLabelSize - 1);
  std::memset(buffer + used, ' ', static_cast<std::size_t>(end - used));
  buffer[end] = '\0';
}

void RowLabels::startRow(int i) {
  if (view_.labelWidth != 0) {
    while (view_.jc[col_ + 1] <= i) ++col_;
    char label[kSparseLabelSize];
    formatSparseIndex(view_.ir[i] + 1, col_ + 1, label, view_.labelWidth);
    utPrintf("%s", label);
  }
  utLongjmpIfInterruptPending();
}

bool stopRequested() {
  if (ioStopPrinting() == 0) return false;
  utPrintf("%s", newline());
  return true;
}

void printNumericMatrix(const qxArray *a, const char *name) {
  const MatrixView view = viewOf(a);
  const char *ownName = qxGetName(a);
  const bool header = takeHeaderFlag();
  if (header && (view.count != 0 || *ownName != '\0')) {
    const char *label = name != nullptr ? name : ownName;
    printNameLine(*label != '\0' ? label : "ans");
  }
  if (view.count == 0) {
    if (*ownName != '\0') printEmptyMessage(a);
    return;
  }
  ioStopPrinting();
  int p = printFormat();
  if (p == kPlus) {
    printSigns(view);
    return;
  }
  if (p == kDebug) {
    printDebugLine(view);
    p = kShort;
  }
  printChunks(view, chooseStyle(view, scanMatrix(view), p));
}

std::string formatScalar(const void *re, const void *im, int classId) {
  if (re == nullptr && im == nullptr) return {};
  const ClassTraits *traits = findClassTraits(classId);
  if (traits == nullptr) qxErrMsg(QX_MSG_INVALID_OPTION);
  std::string text;
  TextSink out(&text);
  const MatrixView view{
      nullptr, traits, static_cast<const char *>(re), static_cast<const char *>(im), traits->size, 1, 1, 1, nullptr,
      nullptr, 0};
  int p = printFormat();
  if (p == kPlus) {
    const double x = view.realAt(0);
    out.print("%c", signCharacter(x));
    return text;
  }
  if (p == kDebug) p = kShort;
  ElementStyle style = chooseStyle(view, scanMatrix(view, true), p);
  style.scalarText = true;
  printElement(out, view, style, 0);
  return text;
}

}  // namespace zq::display

// Writes the special text of zero, NaN or an infinity right-aligned in a
// field of width characters (at least 4) and returns 1; returns 0 and writes
// nothing for any other value. buffer must hold width + 1 characters.
extern "C" int bnPrintToStringNanOrInf(char *buffer, const double *value, int width, int imaginary) {
  const double v = *value;
  const char *text = nullptr;
  if (utIsNaN(v)) {
    text = " NaN";
  } else if (!utFinite(v)) {
    text = v < 0 ? "-Inf" : " Inf";
  } else if (v == 0.0) {
    text = imaginary ? "    " : "   0";
  } else {
    return 0;
  }
  width = std::max(width, 4);
  std::memset(buffer, ' ', static_cast<std::size_t>(width - 4));
  std::memcpy(buffer + width - 4, text, 4);
  buffer[width] = '\0';
  return 1;
}
