// The classes the numeric printer does not take: the dispatch of structures,
// objects, cells, function handles and opaque values to their printers, the
// character printer, and the opaque and object printers, which show only a
// class name and a size.
#include <cstring>
#include <string>

#include "builtins/zqbuiltins.h"
#include "common/owned.h"
#include "display/handlers.h"
#include "display/numeric_printer.h"
#include "display/printers.h"
#include "display/state.h"
#include "display/value_text.h"
#include "host/ut.h"
#include "host/zqservices.h"

namespace zq::display {
namespace {

// "2-by-3", "2-by-3-by-4" or "4-D" from the array's own dimensions, then
// the newline string.
void printOwnSize(const qxArray *a) {
  const int ndims = qxGetNumberOfDimensions(a);
  const int *dims = qxGetDimensions(a);
  if (ndims == 2) {
    utPrintf("%d-by-%d\n%s", dims[0], dims[1], newline());
  } else if (ndims == 3) {
    utPrintf("%d-by-%d-by-%d\n%s", dims[0], dims[1], dims[2], newline());
  } else {
    utPrintf("%d-D\n%s", ndims, newline());
  }
}

// The size vector an object's class reports through the host, when the
// host has a size callback and it answers with at least two doubles.
common::OwnedArray reportedSize(const qxArray *object) {
  const PrtCallbacks &callbacks = printCallbacks();
  if (callbacks.objectSize == nullptr) return nullptr;
  common::OwnedArray size(callbacks.objectSize(object));
  if (size != nullptr && (qxGetClassID(size.get()) != QX_CLASS_DOUBLE || qxGetNumberOfElements(size.get()) < 2)) {
    size.reset();
  }
  return size;
}

// A reported size as "2-by-3" ("NaN" and "Inf" for what is not finite),
// or "4-D" beyond three dimensions, then the newline string.
void printReportedSize(const qxArray *size) {
  const int k = qxGetNumberOfElements(size);
  const double *values = qxGetPr(size);
  if (k > 3) {
    utPrintf("%d-D\n%s", k, newline());
    return;
  }
  for (int i = 0; i < k; ++i) {
    const char *sep = i == 0 ? "" : "-by-";
    if (utFinite(values[i])) {
      utPrintf("%s%.0f", sep, values[i]);
    } else {
      utPrintf("%s%s", sep, utIsNaN(values[i]) ? "NaN" : "Inf");
    }
  }
  utPrintf("\n%s", newline());
}

// A two-dimensional char array under its name line (unless name is ""),
// then the newline string.
void printCharValue(const char *name, const qxArray *a) {
  const bool named = name == nullptr || *name != '\0';
  if (named) {
    const char *label = name != nullptr ? name : qxGetName(a);
    printNameLine(*label != '\0' ? label : "ans");
  }
  if (qxIsEmpty(a)) {
    printEmptyMessage(a);
  } else {
    clearHeaderFlag();
    printCharMatrix(a, nullptr);
  }
  if (named) utPrintf("%s", newline());
}

}  // namespace

void printNonNumericValue(const char *name, const qxArray *a) {
  const char *label = name != nullptr ? name : qxGetName(a);
  switch (qxGetClassCode(a)) {
    case QX_CODE_STRUCT:
    case QX_CODE_OBJECT:
      if (std::strcmp(qxGetClassName(a), "struct") != 0) {
        printObject(label, a);
      } else {
        printStructure(label, a);
      }
      return;
    case QX_CODE_CELL: printCellPages(label, a); return;
    case QX_CODE_FUNCTION_HANDLE: printHandlePages(label, a); return;
    case QX_CODE_OPAQUE: printOpaqueValue(label, a); return;
    default: break;
  }
  if (qxGetNumberOfDimensions(a) > 2) {
    printPages(a);
    const bool nameless = name != nullptr && *name == '\0';
    if (qxGetClassCode(a) == QX_CODE_CHAR && !qxIsEmpty(a) && !nameless) utPrintf("%s", newline());
  } else if (qxGetClassCode(a) == QX_CODE_CHAR) {
    printCharValue(name, a);
  } else {
    qxErrMsg(QX_MSG_INVALID_OPTION);
  }
}

void printCharMatrix(const qxArray *a, const char *name) {
  const int *dims = qxGetDimensions(a);
  const std::size_t m = static_cast<std::size_t>(dims[0]);
  const std::size_t n = static_cast<std::size_t>(dims[1]);
  const std::size_t count = static_cast<std::size_t>(qxGetNumberOfElements(a));
  if (count == 0) return;
  const char *label = name != nullptr ? name : qxGetName(a);
  if (takeHeaderFlag() && *label != '\0') printNameLine(label);
  const qxChar *chars = qxGetChars(a);
  std::string row;
  for (std::size_t first = 0; first < count; first += m * n) {
    for (std::size_t r = 0; r < m; ++r) {
      row.clear();
      appendCharCodes(row, chars + first + r, n, m);
      utPuts(svXlate(row.c_str()));
      utPrintf("\n");
    }
  }
}

void printOpaqueValue(const char *name, const qxArray *a) {
  ioStopPrinting();
  printContainerNameLine(name != nullptr ? name : qxGetName(a));
  if (qxGetNumberOfElements(a) == 1) {
    utPrintf("\t%s\n%s", qxGetClassName(a), newline());
    return;
  }
  utPrintf("\t%s: ", qxGetClassName(a));
  printOwnSize(a);
}

void printObject(const char *name, const qxArray *a) {
  ioStopPrinting();
  printContainerNameLine(name != nullptr ? name : qxGetName(a));
  const common::OwnedArray size = reportedSize(a);
  utPrintf("\t%s object: ", qxGetClassName(a));
  if (size != nullptr) {
    printReportedSize(size.get());
  } else {
    printOwnSize(a);
  }
}

void cellDisplayHandler(int nlhs, qxArray *[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 0, nrhs, 1, 1);
  if (qxGetClassCode(prhs[0]) != QX_CODE_PLACEHOLDER) printCellPages(nullptr, prhs[0]);
}

void structDisplayHandler(int nlhs, qxArray *[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 0, nrhs, 1, 1);
  const int code = qxGetClassCode(prhs[0]);
  if (code == QX_CODE_OBJECT) {
    printObject(nullptr, prhs[0]);
  } else if (code != QX_CODE_PLACEHOLDER) {
    printStructure(nullptr, prhs[0]);
  }
}

void opaqueDisplayHandler(int nlhs, qxArray *[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 0, nrhs, 1, 1);
  printOpaqueValue(nullptr, prhs[0]);
}

}  // namespace zq::display
