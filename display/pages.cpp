// Arrays of more than two dimensions, shown page by page: each m-by-n page
// is lent to a temporary two-dimensional array and printed under a label
// such as "A(:,:,2,3)".
#include <string>
#include <vector>

#include "common/outputs.h"
#include "common/owned.h"
#include "display/numeric_printer.h"
#include "display/printers.h"

namespace zq::display {
namespace {

// Longest label before its page indices are cut short.
constexpr std::size_t kMaxPageLabel = 512;

std::string pageLabel(const char *name, const std::vector<int> &counter) {
  std::string label = std::string(name) + "(:,:,";
  for (std::size_t k = 0; k < counter.size() && label.size() <= kMaxPageLabel; ++k) {
    if (k > 0) label += ',';
    label += std::to_string(counter[k] + 1);
  }
  return label + ")";
}

}  // namespace

void printPages(const qxArray *a) {
  if (qxIsEmpty(a)) {
    printNumericMatrix(a, nullptr);
    return;
  }
  const int ndims = qxGetNumberOfDimensions(a);
  const int *dims = qxGetDimensions(a);
  // The page borrows the printed array's data: the data is detached before
  // the page is destroyed, also when an error or interrupt unwinds the
  // printing.
  const common::BorrowingArray page(common::created(qxCreateEmptyCopy(a)));
  qxSetM(page.get(), dims[0]);
  qxSetN(page.get(), dims[1]);
  const std::size_t pageBytes =
      static_cast<std::size_t>(dims[0]) * static_cast<std::size_t>(dims[1]) * qxGetElementSize(a);
  auto *real = static_cast<char *>(qxGetData(a));
  auto *imag = static_cast<char *>(qxGetImagData(a));
  const bool text = qxGetClassCode(a) == QX_CODE_CHAR;
  std::vector<int> counter(static_cast<std::size_t>(ndims - 2), 0);
  for (std::size_t offset = 0;; offset += pageBytes) {
    qxSetData(page.get(), real + offset);
    if (imag != nullptr) qxSetImagData(page.get(), imag + offset);
    const std::string label = pageLabel(qxGetName(a), counter);
    if (text) {
      printCharMatrix(page.get(), label.c_str());
    } else {
      printNumericMatrix(page.get(), label.c_str());
    }
    // Odometer, first page index fastest; done when the carry leaves the
    // last index.
    std::size_t k = 0;
    while (k < counter.size() && ++counter[k] == dims[k + 2]) counter[k++] = 0;
    if (k == counter.size()) return;
  }
}

}  // namespace zq::display
