// Arrays of function handles: each handle as "@name", one output line per
// row, the columns split into chunks that fit the window, N-D arrays page
// by page.
#include <algorithm>
#include <cstring>

#include "builtins/zqbuiltins.h"
#include "display/column_chunks.h"
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
  const auto width = [&](int j) {
    std::size_t longest = 0;
    for (int r = 0; r < m; ++r) longest = std::max(longest, std::strlen(textAt(r, j)));
    return longest + kHandleLead;
  };
  printColumnChunks(n, room, kGridHeadings, width, [&](int s, int e) {
    for (int r = 0; r < m; ++r) {
      utLongjmpIfInterruptPending();
      if (stopRequested()) return false;
      for (int j = s; j < e; ++j) utPrintf("    @%s", textAt(r, j));
      utPrintf("\n");
    }
    return true;
  });
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
