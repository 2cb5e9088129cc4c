// Arrays of function handles: each handle as "@name", one output line per
// row, the columns split into chunks that fit the window, N-D arrays page
// by page.
#include <algorithm>
#include <cstring>

#include "builtins/zqbuiltins.h"
#include "display/numeric_printer.h"
#include "display/printers.h"
#include "display/state.h"
#include "display/value_text.h"
#include "host/ut.h"
#include "host/zqservices.h"

namespace zq::display {
namespace {

// Four blanks and the "@" before each handle's text.
constexpr std::size_t kHandleLead = 5;

// One page of m-by-n handles. A column counts its longest handle; the rows
// are not padded.
void printHandleGrid(const qxFunctionHandleRecord *handles, int m, int n) {
  const std::size_t room = static_cast<std::size_t>(containerWindowWidth() - 1);
  const auto textAt = [&](int r, int j) {
    return qxFunctionHandleToString(handles + static_cast<std::size_t>(j) * static_cast<std::size_t>(m) + r);
  };
  for (int s = 0; s < n;) {
    std::size_t total = 0;
    int e = s;
    while (e < n && total < room) {
      std::size_t longest = 0;
      for (int r = 0; r < m; ++r) longest = std::max(longest, std::strlen(textAt(r, e)));
      total += longest + kHandleLead;
      ++e;
    }
    if (total > room && e - s > 1) --e;
    if (n > e - s && e - s > 1) utPrintf("  Columns %d through %d\n%s", s + 1, e, newline());
    for (int r = 0; r < m; ++r) {
      utLongjmpIfInterruptPending();
      if (stopRequested()) return;
      for (int j = s; j < e; ++j) utPrintf("    @%s", textAt(r, j));
      utPrintf("\n");
    }
    utPrintf("%s", newline());
    s = e;
  }
}

}  // namespace

void printHandlePages(const char *name, const qxArray *a) {
  const auto *handles = static_cast<const qxFunctionHandleRecord *>(qxGetData(a));
  printContainer(
      name, a, [a] { printEmptySizeMessage("function_handle array", a); },
      [handles](std::size_t first, int m, int n) { printHandleGrid(handles + first, m, n); });
}

}  // namespace zq::display

extern "C" void bnPrintFunObjArray(const char *name, const qxArray *a) { zq::display::printHandlePages(name, a); }
