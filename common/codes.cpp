// Read-only views of an array's character codes.
#include "common/codes.h"

namespace zq::common {

std::span<const qxChar> codesOf(const qxArray *a) {
  if (a == nullptr) return {};
  const int n = qxGetNumberOfElements(a);
  if (n <= 0) return {};
  return {qxGetChars(a), static_cast<std::size_t>(n)};
}

std::span<const qxChar> rowCodes(const qxArray *a) {
  if (a == nullptr || qxGetM(a) <= 0) return {};
  return codesOf(a).first(static_cast<std::size_t>(qxGetN(a)));
}

CharMatrix::CharMatrix(const qxArray *a)
    : codes_(codesOf(a)),
      rows_(a != nullptr ? static_cast<std::size_t>(qxGetM(a)) : 0),
      cols_(a != nullptr ? static_cast<std::size_t>(qxGetN(a)) : 0) {}

}  // namespace zq::common
