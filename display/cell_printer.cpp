// Cell arrays: one output line per cell row, each cell shown by its value
// when that is short (strings, scalars, function handles) or by a
// bracketed size-and-class summary, the columns aligned and split into
// chunks that fit the window.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

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

// Strings longer than this are summarised; the long formats allow lines as
// wide as the window.
constexpr int kInlineStringLimit = 20;
constexpr int kWindowMargin = 7;
// A lone column shows a string quoted in full when it is shorter than this.
constexpr int kSingleColumnStringLimit = 74;

std::size_t inlineStringLimit() {
  const int p = printFormat();
  const bool longFormat = p == kLong || p == kLongE || p == kLongG;
  return static_cast<std::size_t>(longFormat ? std::max(containerWindowWidth() - kWindowMargin, 0)
                                             : kInlineStringLimit);
}

// s padded with blanks: right-aligned in width, or left-aligned.
std::string padded(std::string_view s, std::size_t width, bool left = false) {
  if (s.size() >= width) return std::string(s);
  const std::string fill(width - s.size(), ' ');
  return left ? std::string(s) + fill : fill + std::string(s);
}

// One column of a page: its cells' summary parts, widest first, decide
// where the "x", the class names and the closing brackets line up.
struct ColumnLayout {
  std::size_t width = 0;
  std::size_t before = 0;     // widest size text before the "x"
  std::size_t from = 0;       // widest size text from the "x" on
  std::size_t className = 0;  // longest class name
};

// The short form of a cell's value: its natural text ('abc', [3.1416],
// [@sin]) and whether it widens to its column inside its brackets (numbers,
// right-aligned) or by blanks after it (strings and handles).
struct InlineForm {
  std::string text;
  bool numeric;
};

std::optional<InlineForm> inlineForm(const qxArray *c) {
  if (c == nullptr) return std::nullopt;
  utLongjmpIfInterruptPending();
  if (const std::optional<std::string> text = charRowText(c)) {
    if (text->size() >= inlineStringLimit() || text->find('\n') != std::string::npos) return std::nullopt;
    return InlineForm{"'" + *text + "'", false};
  }
  if (qxIsNumeric(c) && qxGetNumberOfElements(c) == 1) {
    const FullNumeric full(c);
    // Under "+" the text of a zero is a lone blank: it stays, so that the
    // cell reads "[ ]" and not as an empty "[]".
    std::string text(trimLeading(scalarText(full.get(), 0)));
    return InlineForm{text.empty() ? " " : std::move(text), true};
  }
  if (qxGetClassCode(c) == QX_CODE_FUNCTION_HANDLE && qxGetNumberOfElements(c) == 1) {
    return InlineForm{std::string("[@") + qxFunctionHandleToString(qxGetData(c)) + "]", false};
  }
  return std::nullopt;
}

// The form widened to a column of width characters.
std::string widened(const InlineForm &form, std::size_t width) {
  if (!form.numeric) return padded(form.text, width, true);
  return "[" + padded(form.text, width < 2 ? 0 : width - 2) + "]";
}

// One column of a chunk: its layout and the inline form of each of its
// cells, worked out once and used again when the rows are printed.
struct GridColumn {
  ColumnLayout layout;
  std::vector<std::optional<InlineForm>> forms;
};

GridColumn layoutColumn(const qxArray *a, std::size_t first, int m) {
  GridColumn column;
  ColumnLayout &col = column.layout;
  column.forms.reserve(static_cast<std::size_t>(m));
  bool summaries = false;
  for (int r = 0; r < m; ++r) {
    const qxArray *c = qxGetCell(a, static_cast<int>(first) + r);
    column.forms.push_back(c == nullptr || isPlainEmpty(c) ? std::nullopt : inlineForm(c));
    const std::optional<InlineForm> &form = column.forms.back();
    if (c == nullptr || isPlainEmpty(c)) {
      col.width = std::max<std::size_t>(col.width, 2);
    } else if (form) {
      col.width = std::max(col.width, form->text.size() + (form->numeric ? 2 : 0));
    } else if (const std::optional<SizeParts> parts = sizeParts(c)) {
      summaries = true;
      col.before = std::max(col.before, parts->split);
      col.from = std::max(col.from, parts->text.size() - parts->split);
      col.className = std::max(col.className, std::string_view(qxGetClassName(c)).size());
    }
  }
  if (summaries) col.width = std::max(col.width, col.before + col.from + col.className + 3);
  return column;
}

// The summary of c aligned on its column: "[ 2x3 double]" above
// "[10x1 char  ]".
std::string alignedSummary(const qxArray *c, const ColumnLayout &col) {
  const std::optional<SizeParts> parts = sizeParts(c);
  if (!parts) return "[Error]";
  const std::string_view cls = qxGetClassName(c);
  const bool cell = qxGetClassCode(c) == QX_CODE_CELL;
  std::string text(1, cell ? '{' : '[');
  text += padded(parts->text, col.before - parts->split + parts->text.size());
  text += padded(cls, col.from - (parts->text.size() - parts->split) + cls.size() + 1);
  text += padded(cell ? "}" : "]", col.className - cls.size() + 1);
  return text;
}

// One cell of a grid row, with its four leading blanks.
void printCell(const qxArray *c, const std::optional<InlineForm> &form, const ColumnLayout &col, bool singleColumn) {
  const std::size_t w = col.width;
  if (c == nullptr) {
    utPrintf("    %s", padded("[]", w).c_str());
    return;
  }
  // A single column shows its strings unpadded, an empty row as ''.
  if (singleColumn && qxGetN(c) < kSingleColumnStringLimit) {
    if (const std::optional<std::string> text = charRowText(c, true)) {
      utPrintf("    '%s'", text->c_str());
      return;
    }
  }
  if (form) {
    utPrintf("    %s", widened(*form, w).c_str());
  } else if (isPlainEmpty(c)) {
    utPrintf("    %s", padded(emptyMark(c), w).c_str());
  } else {
    utPrintf("    %s", padded(alignedSummary(c, col), w).c_str());
  }
}

// One page of m-by-n cells starting at element first, in chunks of columns
// that fit the window.
void printCellGrid(const qxArray *a, std::size_t first, int m, int n) {
  const std::size_t room = static_cast<std::size_t>(containerWindowWidth() - 1);
  if (n == 0) return;
  const auto cellAt = [&](int r, int j) {
    return qxGetCell(a, static_cast<int>(first + static_cast<std::size_t>(j) * static_cast<std::size_t>(m)) + r);
  };
  if (m == 1 && n == 1) {
    const qxArray *c = cellAt(0, 0);
    if (c == nullptr || isPlainEmpty(c)) {
      // The mark in braces is wider than the column's two characters.
      utPrintf("    {%s}\n%s", c == nullptr ? "[]" : emptyMark(c), newline());
      return;
    }
  }
  // The columns measured and not yet printed, from column `base` on: the
  // column a chunk gives back heads the next chunk and is measured once.
  std::vector<GridColumn> measured;
  int base = 0;
  const auto width = [&](int j) {
    const std::size_t k = static_cast<std::size_t>(j - base);
    if (k == measured.size()) {
      measured.push_back(layoutColumn(a, first + static_cast<std::size_t>(j) * static_cast<std::size_t>(m), m));
    }
    return measured[k].layout.width + 4;
  };
  printColumnChunks(n, room, kGridHeadings, width, [&](int s, int e) {
    for (int r = 0; r < m; ++r) {
      utLongjmpIfInterruptPending();
      if (stopRequested()) return false;
      for (int j = s; j < e; ++j) {
        const GridColumn &column = measured[static_cast<std::size_t>(j - s)];
        printCell(cellAt(r, j), column.forms[static_cast<std::size_t>(r)], column.layout, n == 1);
      }
      utPrintf("\n");
    }
    measured.erase(measured.begin(), measured.begin() + (e - s));
    base = e;
    return true;
  });
}

}  // namespace

void printCellPages(const char *name, const qxArray *a) {
  const auto printEmpty = [a] {
    if (qxGetNumberOfDimensions(a) == 2 && qxGetM(a) == 0 && qxGetN(a) == 0) {
      utPrintf("     {}\n%s", newline());
    } else {
      printEmptySizeMessage("cell array", a);
    }
  };
  printContainer(name, a, printEmpty, [a](std::size_t first, int m, int n) { printCellGrid(a, first, m, n); });
}

}  // namespace zq::display

extern "C" void bnPrintCellArray(const char *name, const qxArray *a) { zq::display::printCellPages(name, a); }
