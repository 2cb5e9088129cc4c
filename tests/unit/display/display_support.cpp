#include "display/display_support.h"

#include <cstdlib>

#include "builtins/zqbuiltins.h"

namespace zqtest {

void setFormat(const char *word, const char *modifier) {
  Array w = str(word);
  Array m = str(modifier);
  const CallResult r = *modifier != '\0' ? call("format", 0, {w.get(), m.get()}) : call("format", 0, {w.get()});
  ASSERT_EQ(r.error, "");
}

void DisplayTest::SetUp() {
  registerBuiltins();
  setenv("COLUMNS", "80", 1);
}

void DisplayTest::TearDown() {
  SetPrtfmt(1);
  GetNewline()[0] = '\n';
  GetNewline()[1] = '\0';
  zqhost::setStopPrinting(false);
  setenv("COLUMNS", "80", 1);
}

Shown show(const char *builtin, const qxArray *a) {
  Shown s;
  StdoutCapture capture;
  s.error = call(builtin, 0, {a}).error;
  s.out = capture.text();
  return s;
}

Array named(Array a, const char *name) {
  qxSetName(a.get(), name);
  return a;
}

Array complexMat(int m, int n, std::initializer_list<double> re, std::initializer_list<double> im) {
  Array a(qxCreateDoubleMatrix(m, n, 1));
  double *pr = qxGetPr(a.get());
  double *pi = qxGetPi(a.get());
  for (double v : re) *pr++ = v;
  for (double v : im) *pi++ = v;
  return a;
}

Array typed(int classId, int m, int n, std::initializer_list<double> values) {
  Array source = mat(m, n, values);
  return Array(qxCreateConvertedCopy(source.get(), classId));
}

}  // namespace zqtest
