// Texts shared by the character, cell, structure and function-handle
// printers.
#include "display/value_text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "common/outputs.h"
#include "display/numeric_printer.h"
#include "display/state.h"
#include "host/ut.h"
#include "host/zqservices.h"

namespace zq::display {
namespace {

constexpr int kMaxContainerWidth = 256;

// A dimension reported by an object's size function, as a 32-bit integer:
// NaN becomes the largest int (the smallest when its sign bit is set).
int dimensionFromDouble(double v) {
  if (utIsNaN(v)) return utSignBit(v) ? INT_MIN : INT_MAX;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}

// The dimensions a size summary shows: an object's come from the host's
// size function when the host has installed one and it answers with a
// non-empty double array; everything else shows its own.
std::vector<int> shownDimensions(const qxArray *a) {
  const int code = qxGetClassCode(a);
  const PrtCallbacks &callbacks = printCallbacks();
  if ((code == QX_CODE_STRUCT || code == QX_CODE_OBJECT) && qxGetClassID(a) != QX_CLASS_STRUCT &&
      callbacks.callFunction != nullptr) {
    qxArray *plhs[1] = {nullptr};
    qxArray *prhs[1] = {const_cast<qxArray *>(a)};
    callbacks.callFunction(1, plhs, 1, prhs, "size");
    const common::OwnedArray size(plhs[0]);
    if (size != nullptr && qxGetClassID(size.get()) == QX_CLASS_DOUBLE && !qxIsEmpty(size.get())) {
      const double *values = qxGetPr(size.get());
      std::vector<int> dims(static_cast<std::size_t>(qxGetNumberOfElements(size.get())));
      std::transform(values, values + dims.size(), dims.begin(), dimensionFromDouble);
      return dims;
    }
  }
  const int *dims = qxGetDimensions(a);
  return std::vector<int>(dims, dims + qxGetNumberOfDimensions(a));
}

}  // namespace

FullNumeric::FullNumeric(const qxArray *a) : array_(a) {
  if (qxGetClassCode(a) != QX_CODE_SPARSE) return;
  copy_.reset(common::created(qxCreateConvertedCopy(a, QX_CLASS_DOUBLE)));
  array_ = copy_.get();
}

std::string scalarText(const qxArray *full, std::size_t i) {
  const std::size_t size = qxGetElementSize(full);
  const char *re = static_cast<const char *>(qxGetData(full));
  const char *im = static_cast<const char *>(qxGetImagData(full));
  return formatScalar(re == nullptr ? nullptr : re + i * size, im == nullptr ? nullptr : im + i * size,
                      qxGetClassID(full));
}

int containerWindowWidth() { return std::clamp(ioGetNumWindowColumns(), 1, kMaxContainerWidth); }

void appendCharCodes(std::string &out, const qxChar *codes, std::size_t count, std::size_t stride) {
  const bool multiByte = utIsMultiByteCharSet() != 0;
  for (std::size_t k = 0; k < count; ++k) {
    const qxChar code = codes[k * stride];
    const int high = code >> 8;
    if (code == 0) {
      out += ' ';
    } else if (multiByte && high != 0 && utIsMultiByteLead(high)) {
      out += static_cast<char>(high);
      out += static_cast<char>(code & 0xff);
    } else {
      out += static_cast<char>(code & 0xff);
    }
  }
}

bool isRowVector(const qxArray *a) {
  return qxGetNumberOfDimensions(a) == 2 && qxGetM(a) == 1 && qxGetNumberOfElements(a) > 0;
}

bool isStructLike(const qxArray *a) {
  const int code = qxGetClassCode(a);
  return code == QX_CODE_STRUCT || code == QX_CODE_OBJECT;
}

bool isPlainEmpty(const qxArray *a) { return qxIsEmpty(a) && !isStructLike(a); }

const char *emptyMark(const qxArray *a) {
  switch (qxGetClassCode(a)) {
    case QX_CODE_CHAR: return "''";
    case QX_CODE_CELL: return "{}";
    default: return "[]";
  }
}

std::optional<std::string> charRowText(const qxArray *a, bool emptyToo) {
  if (qxGetClassCode(a) != QX_CODE_CHAR) return std::nullopt;
  const bool oneRow = qxGetNumberOfDimensions(a) == 2 && qxGetM(a) == 1;
  if (!oneRow || (!emptyToo && qxGetNumberOfElements(a) == 0)) return std::nullopt;
  std::string bytes;
  appendCharCodes(bytes, qxGetChars(a), static_cast<std::size_t>(qxGetNumberOfElements(a)));
  return std::string(svXlate(bytes.c_str()));
}

std::string sizeText(const qxArray *a) {
  const std::vector<int> dims = shownDimensions(a);
  char piece[32];
  if (dims.empty()) {
    std::snprintf(piece, sizeof piece, "%7dx%d", 1, 1);
    return piece;
  }
  if (dims.size() > 3) {
    std::snprintf(piece, sizeof piece, "%7d-D", static_cast<int>(dims.size()));
    return piece;
  }
  std::string text;
  for (std::size_t k = 0; k < dims.size(); ++k) {
    const char *sep = k == 0 ? "" : "x";
    const int width = k == 0 ? 7 : 0;
    if (dims[k] == INT_MAX) {
      std::snprintf(piece, sizeof piece, "%s%*s", sep, width, "Inf");
    } else {
      std::snprintf(piece, sizeof piece, "%s%*d", sep, width, dims[k]);
    }
    text += piece;
  }
  return text;
}

std::string_view trimLeading(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

std::optional<SizeParts> sizeParts(const qxArray *a) {
  SizeParts parts{std::string(trimLeading(sizeText(a))), 0};
  parts.split = parts.text.find('x');
  if (parts.split == std::string::npos) parts.split = parts.text.find('-');
  if (parts.split == std::string::npos) return std::nullopt;
  return parts;
}

std::string bracketedSummary(const qxArray *a, const char *className) {
  const std::optional<SizeParts> parts = sizeParts(a);
  if (!parts) return "[Error]";
  const bool cell = qxGetClassCode(a) == QX_CODE_CELL;
  return (cell ? "{" : "[") + parts->text + " " + className + (cell ? "}" : "]");
}

void printContainer(const char *name, const qxArray *a, const std::function<void()> &printEmpty,
                    const std::function<void(std::size_t first, int m, int n)> &printPage) {
  if (name == nullptr) name = qxGetName(a);
  const int ndims = qxGetNumberOfDimensions(a);
  const int *dims = qxGetDimensions(a);
  if (ndims == 2 || qxIsEmpty(a)) printContainerNameLine(name);
  ioStopPrinting();
  if (qxIsEmpty(a)) {
    printEmpty();
    return;
  }
  const std::size_t pageSize = static_cast<std::size_t>(dims[0]) * static_cast<std::size_t>(dims[1]);
  if (ndims == 2) {
    printPage(0, dims[0], dims[1]);
    return;
  }
  const std::size_t total = static_cast<std::size_t>(qxGetNumberOfElements(a));
  std::vector<int> counter(static_cast<std::size_t>(ndims - 2), 1);
  for (std::size_t first = 0; first < total; first += pageSize) {
    std::string index;
    for (int value : counter) index += std::to_string(value) + ",";
    index.back() = ')';
    // Odometer, first page index fastest.
    for (std::size_t k = 0; k < counter.size() && ++counter[k] > dims[k + 2]; ++k) counter[k] = 1;
    utPrintf("%s%s(:,:,%s = %s\n", newline(), qxGetName(a), index.c_str(), newline());
    printPage(first, dims[0], dims[1]);
  }
}

void printContainerNameLine(const char *name) {
  if (*name != '\0') utPrintf("%s%s = %s\n", newline(), name, newline());
}

void printEmptySizeMessage(const char *what, const qxArray *a) {
  const int ndims = qxGetNumberOfDimensions(a);
  const int *dims = qxGetDimensions(a);
  utPrintf("   Empty %s: %d", what, dims[0]);
  for (int k = 1; k < ndims; ++k) utPrintf("-by-%d", dims[k]);
  utPrintf("\n%s", newline());
}

}  // namespace zq::display
