// Plain display: every value on standard output in a form that is easy to
// read and to compare in tests. It does not try to be the library's
// display (scale factors, column splitting, format modes).
#include "shell/display_fallback.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "host/ut.h"
#include "shell/arrays.h"

namespace zq::shell {
namespace {

std::string number(double re) {
  if (std::isnan(re)) return "NaN";
  if (std::isinf(re)) return re < 0 ? "-Inf" : "Inf";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.5g", re);
  return buf;
}

std::string element(const std::vector<double> &re, const std::vector<double> &im, size_t k) {
  std::string s = number(re[k]);
  if (!im.empty()) s += (im[k] < 0 || (im[k] == 0 && std::signbit(im[k])) ? " - " : " + ") + number(std::fabs(im[k])) + "i";
  return s;
}

std::string sizeText(const Value &v) {
  std::string s;
  for (int d : dimsOf(v)) s += (s.empty() ? "" : "x") + std::to_string(d);
  return s;
}

// One line of a value inside a container or for a whole container.
std::string summary(const Value &v) {
  const int c = classOf(v);
  if (c == QX_CLASS_CHAR && dimsOf(v).size() == 2 && dimsOf(v)[0] <= 1) return "'" + textOf(v, "Text") + "'";
  if (c == QX_CLASS_FUNCTION) return std::string("@") + qxFunctionHandleToString(qxGetData(v.array()));
  if (isNumericOrChar(v) && numel(v) == 1) {
    return element(realParts(v), imagParts(v), 0);
  }
  return "[" + sizeText(v) + " " + className(v) + "]";
}

void printRows(const Value &v) {
  const std::vector<int> dims = dimsOf(v);
  const std::vector<double> re = realParts(v), im = imagParts(v);
  const int m = dims[0];
  const int n = m == 0 ? 0 : static_cast<int>(re.size()) / m;
  for (int i = 0; i < m; ++i) {
    utLongjmpIfInterruptPending();  // Ctrl-C stops a long listing
    std::string line;
    for (int j = 0; j < n; ++j) line += "  " + element(re, im, static_cast<size_t>(j) * m + i);
    utPrintf("%s\n", line.c_str());
  }
}

}  // namespace

void printFallback(const std::string &name, const Value &v) {
  const int c = classOf(v);
  const std::vector<int> dims = dimsOf(v);
  if (c == QX_CLASS_STRUCT && numel(v) == 1) {
    utPrintf("%s =\n", name.c_str());
    const qxArray *a = v.array();
    for (int f = 0; f < qxGetNumberOfFields(a); ++f) {
      const qxArray *e = qxGetFieldByNumber(a, 0, f);
      const Value field = e == nullptr ? Value() : Value::adopt(qxDuplicateArray(e));
      utPrintf("  %s: %s\n", qxGetFieldNameByNumber(a, f), summary(field).c_str());
    }
    return;
  }
  if (c == QX_CLASS_CELL && dims.size() == 2 && numel(v) > 0) {
    utPrintf("%s =\n", name.c_str());
    const qxArray *a = v.array();
    for (int i = 0; i < dims[0]; ++i) {
      std::string line;
      for (int j = 0; j < dims[1]; ++j) {
        const qxArray *e = qxGetCell(a, j * dims[0] + i);
        line += "  {" + summary(e == nullptr ? Value() : Value::adopt(qxDuplicateArray(e))) + "}";
      }
      utPrintf("%s\n", line.c_str());
    }
    return;
  }
  const bool simple = numel(v) == 1 || (c == QX_CLASS_CHAR && dims.size() == 2 && dims[0] == 1) ||
                      numel(v) == 0 || dims.size() > 2 || !(isNumericOrChar(v) || c == QX_CLASS_SPARSE);
  if (simple) {
    utPrintf("%s = %s\n", name.c_str(), summary(v).c_str());
    return;
  }
  utPrintf("%s =\n", name.c_str());
  if (c == QX_CLASS_CHAR) {
    const std::string text = textOf(v, "Text");
    for (int i = 0; i < dims[0]; ++i) {
      std::string row;
      for (int j = 0; j < dims[1]; ++j) row += text[static_cast<size_t>(j) * dims[0] + i];
      utPrintf("  '%s'\n", row.c_str());
    }
    return;
  }
  printRows(v);
}

}  // namespace zq::shell
