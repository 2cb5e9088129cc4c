// Structures: a single structure field by field, each value inline when it
// is short and by its size-and-class summary otherwise; a structure array
// by its size and field names.
#include <algorithm>
#include <optional>
#include <string>

#include "builtins/zqbuiltins.h"
#include "display/numeric_printer.h"
#include "display/printers.h"
#include "display/state.h"
#include "display/value_text.h"
#include "host/ut.h"
#include "host/zqservices.h"

namespace zq::display {
namespace {

// Blanks and colon after a field name, and the margin kept at the right.
constexpr int kLabelExtra = 4;
constexpr int kValueMargin = 3;

bool bothDimsZero(const qxArray *v) { return qxGetM(v) == 0 && qxGetN(v) == 0; }

// A quoted string when the value is a one-line character row of at most
// room - 2 characters.
std::optional<std::string> quotedRow(const qxArray *v, std::size_t room) {
  const std::optional<std::string> text = charRowText(v);
  if (!text || text->find('\n') != std::string::npos || text->size() + 2 > room) return std::nullopt;
  return "'" + *text + "'";
}

// One element of a cell row shown inside a field, in at most room
// characters: its value when that fits, else its summary.
std::optional<std::string> cellPiece(const qxArray *e, std::size_t room) {
  std::string piece;
  if (e == nullptr) {
    piece = "[]";
  } else if (const std::optional<std::string> quoted = quotedRow(e, room)) {
    piece = *quoted;
  } else if (qxIsNumeric(e) && isRowVector(e)) {
    const std::optional<std::string> values = inlineValues(e, room);
    piece = !values ? bracketedSummary(e, qxGetClassName(e))
                    : (qxGetNumberOfElements(e) == 1 ? "[" + *values + "]" : *values);
  } else if (bothDimsZero(e) &&
             (qxIsNumeric(e) || qxGetClassCode(e) == QX_CODE_CHAR || qxGetClassCode(e) == QX_CODE_CELL)) {
    // Only text, numbers and cells have a short empty mark here; an empty
    // value of any other class shows its summary.
    piece = emptyMark(e);
  } else {
    piece = bracketedSummary(e, qxGetClassName(e));
  }
  if (piece.size() > room) return std::nullopt;
  return piece;
}

// "{[1]  'ab'}": a cell row with its elements two blanks apart.
std::optional<std::string> cellRowText(const qxArray *v, std::size_t width) {
  std::string text = "{";
  const int count = qxGetNumberOfElements(v);
  for (int i = 0; i < count; ++i) {
    const std::size_t used = text.size() + (i > 0 ? 2 : 0) + 1;  // separator and closing brace
    if (used > width) return std::nullopt;
    const std::optional<std::string> piece = cellPiece(qxGetCell(v, i), width - used);
    if (!piece) return std::nullopt;
    text += (i > 0 ? "  " : "") + *piece;
  }
  return text + "}";
}

// What follows a field's label.
std::string fieldValueText(const qxArray *v, std::size_t width) {
  if (v == nullptr) return "[]";
  if (isPlainEmpty(v)) {
    const int code = qxGetClassCode(v);
    if (code == QX_CODE_CHAR) return bothDimsZero(v) ? "''" : bracketedSummary(v, "char");
    if (qxIsNumeric(v)) return bothDimsZero(v) ? "[]" : bracketedSummary(v, qxGetClassName(v));
    return bothDimsZero(v) ? "{}" : bracketedSummary(v, "cell");
  }
  if (const std::optional<std::string> text = structFieldInlineText(v, width)) return *text;
  return bracketedSummary(v, qxGetClassName(v));
}

// The fields of a single structure, their names right-aligned.
void printFields(const qxArray *a) {
  const int fields = qxGetNumberOfFields(a);
  std::size_t longest = 0;
  for (int f = 0; f < fields; ++f) longest = std::max(longest, std::string_view(qxGetFieldNameByNumber(a, f)).size());
  const int label = static_cast<int>(longest) + kLabelExtra;
  const int room = std::max(0, containerWindowWidth() - 1 - label - kValueMargin);
  for (int f = 0; f < fields; ++f) {
    utLongjmpIfInterruptPending();
    if (stopRequested()) return;
    const std::string value = fieldValueText(qxGetFieldByNumber(a, 0, f), static_cast<std::size_t>(room));
    utPrintf("%*s: %s\n", label, qxGetFieldNameByNumber(a, f), value.c_str());
  }
  utPrintf("%s", newline());
}

void printFieldNames(const qxArray *a) {
  utPrintf("%s struct array with fields:\n", std::string(trimLeading(sizeText(a))).c_str());
  const int fields = qxGetNumberOfFields(a);
  for (int f = 0; f < fields; ++f) {
    utLongjmpIfInterruptPending();
    if (stopRequested()) return;
    utPrintf("    %s\n", qxGetFieldNameByNumber(a, f));
  }
  utPrintf("%s", newline());
}

}  // namespace

std::optional<std::string> inlineValues(const qxArray *a, std::size_t width) {
  if (width < 2) return std::nullopt;
  const std::size_t limit = width - 2;
  const int count = qxGetNumberOfElements(a);
  const bool handles = qxGetClassCode(a) == QX_CODE_FUNCTION_HANDLE;
  if (qxGetClassCode(a) == QX_CODE_SPARSE && count >= 100) return std::nullopt;
  const std::optional<FullNumeric> full = handles ? std::nullopt : std::optional<FullNumeric>(std::in_place, a);
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (handles) {
      text +=
          std::string("@") + qxFunctionHandleToString(static_cast<const qxFunctionHandleRecord *>(qxGetData(a)) + i);
    } else {
      text += trimLeading(scalarText(full->get(), static_cast<std::size_t>(i)));
    }
    text += ' ';
    if (text.size() > limit) return std::nullopt;
  }
  text.pop_back();
  text = std::string(trimLeading(text));
  return count == 1 ? text : "[" + text + "]";
}

std::optional<std::string> structFieldInlineText(const qxArray *v, std::size_t width) {
  if (qxGetClassCode(v) == QX_CODE_CHAR) return quotedRow(v, width);
  if ((qxIsNumeric(v) || qxGetClassCode(v) == QX_CODE_FUNCTION_HANDLE) && isRowVector(v)) {
    return inlineValues(v, width);
  }
  if (qxGetClassCode(v) == QX_CODE_CELL && isRowVector(v)) return cellRowText(v, width);
  return std::nullopt;
}

void printStructure(const char *name, const qxArray *a) {
  if (name == nullptr) name = qxGetName(a);
  ioStopPrinting();
  printContainerNameLine(name);
  if (qxGetNumberOfElements(a) == 1) {
    printFields(a);
  } else {
    printFieldNames(a);
  }
}

}  // namespace zq::display

extern "C" void bnPrintStructure(const char *name, const qxArray *a) { zq::display::printStructure(name, a); }
