// The print formats that replace the plain number formats: "+" (one sign
// per element), hex (the stored bits), rational (continued fractions) and
// debug (a line of array internals before the matrix).
#include <cmath>
#include <cstdint>

#include "display/numeric_printer.h"
#include "display/state.h"
#include "host/ut.h"

namespace zq::display {
namespace {

constexpr double kRationalTolerance = 1e-06;
constexpr int kMaxPartialQuotients = 24;
// Beyond these a fraction no longer fits its field (only checked when the
// matrix has more than one column; a scalar may overflow its width).
constexpr double kRealPartLimit = 999999;
constexpr double kImagPartLimit = 99999;
constexpr const char *kTooLong = "      *      ";

// The imaginary fraction's denominator field, so that " p/qi" fills 12
// characters whatever the number of digits of q.
struct DenominatorField {
  double below;
  const char *format;
};
constexpr DenominatorField kDenominatorFields[] = {
    {10, "/%1.0fi    "}, {100, "/%2.0fi   "}, {1000, "/%3.0fi  "}, {10000, "/%4.0fi "}, {INFINITY, "/%5.0fi"},
};

void printRealFraction(TextSink &out, double v, bool multiColumn) {
  double p = 0;
  double q = 0;
  rationalApprox(v, kRationalTolerance, &p, &q);
  if (multiColumn && (q > kRealPartLimit || std::fabs(p) > kRealPartLimit)) {
    out.print("%s", kTooLong);
  } else if (q == 1) {
    out.print("%7.0f      ", p);
  } else {
    out.print("%6.0f/%-6.0f", p, q);
  }
}

void printImagFraction(TextSink &out, double y, bool multiColumn, bool scalarText) {
  const double magnitude = std::fabs(y);
  // A one-value text ends a zero imaginary part after thirteen blanks.
  if (magnitude == 0) {
    out.print("%s", scalarText ? "             " : "              ");
    return;
  }
  out.print(" %c", y < 0 ? '-' : '+');
  double p = 0;
  double q = 0;
  rationalApprox(magnitude, kRationalTolerance, &p, &q);
  if (multiColumn && (q > kImagPartLimit || p > kImagPartLimit)) {
    out.print("%s", kTooLong);
    return;
  }
  if (q == 1) {
    out.print("%5.0fi      ", p);
    return;
  }
  out.print("%5.0f", p);
  for (const DenominatorField &field : kDenominatorFields) {
    if (q < field.below || field.below == INFINITY) {
      out.print(field.format, q);
      return;
    }
  }
}

}  // namespace

// Continued-fraction approximation p/q of x within a relative tolerance.
// Partial quotients are rounded to the nearest integer (so they may be
// negative), which converges faster than flooring; at most 24 are taken.
// Non-finite x gives 0/0 for NaN and +-1/0 for the infinities; the
// expansion stops before a quotient that is not finite (a subnormal x
// gives 0/1).
void rationalApprox(double x, double tol, double *p, double *q) {
  if (!utFinite(x)) {
    *q = 0;
    *p = utIsNaN(x) ? 0 : (x > 0 ? 1 : -1);
    return;
  }
  double num = 0;
  double den = 1;
  const double bound = tol * std::fabs(x);
  if (std::fabs(num / den - x) > bound) {
    double quotients[kMaxPartialQuotients];
    double y = x;
    for (int k = 0; k < kMaxPartialQuotients;) {
      const double a = utRound(y);
      // The rest of a subnormal value has an infinite reciprocal: the
      // fraction found so far stands.
      if (!std::isfinite(a)) break;
      quotients[k] = a;
      // Rebuild p/q from the newest quotient back to the first.
      num = a;
      den = 1;
      for (int j = k - 1; j >= 0; --j) {
        const double next = quotients[j] * num + den;
        den = num;
        num = next;
      }
      ++k;
      const double rest = y - a;
      if (rest == 0) break;
      y = 1 / rest;
      if (std::fabs(num / den - x) <= bound) break;
    }
  }
  if (den < 0) num = -num;
  *p = num;
  *q = std::fabs(den);
}

void printSigns(const MatrixView &v) {
  RowLabels labels(v);
  for (int i = 0; i < v.rows; ++i) {
    labels.startRow(i);
    for (int j = 0; j < v.cols; ++j) {
      if (stopRequested()) return;
      const double x =
          v.realAt(static_cast<std::size_t>(j) * static_cast<std::size_t>(v.rows) + static_cast<std::size_t>(i));
      utPrintf("%c", signCharacter(x));
    }
    utPrintf("\n");
  }
  utPrintf("%s", newline());
}

void printDebugLine(const MatrixView &v) {
  const auto address = [](const void *p) { return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(p)); };
  utPrintf("\nStructure address = %lx \nm = %d \nn = %d\npr = %lx \npi = %lx\n", address(v.array), v.rows, v.cols,
           address(v.real), address(v.imag));
}

void printHexElement(TextSink &out, const MatrixView &v, const ElementStyle &s, std::size_t i) {
  v.traits->hex(out, kNumberFormats[s.format].text, v.real + i * v.elementSize);
  if (!s.showImag) return;
  v.traits->hex(out, kNumberFormats[s.format + kImagFormatOffset].text, v.imag + i * v.elementSize);
  out.print("%c", 'i');
}

void printRationalElement(TextSink &out, const MatrixView &v, const ElementStyle &s, std::size_t i) {
  printRealFraction(out, v.realAt(i), s.multiColumn);
  if (s.showImag) printImagFraction(out, v.imagAt(i), s.multiColumn, s.scalarText);
}

}  // namespace zq::display
