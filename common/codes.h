// Read-only views of an array's 16-bit character codes. A char matrix of M
// rows stores its codes column by column: row r is at r, r+M, r+2M ...
#pragma once

#include <cstddef>
#include <span>

#include "host/qx.h"

namespace zq::common {

// All codes of char array a in storage order (empty for a null or empty array).
std::span<const qxChar> codesOf(const qxArray *a);

// A char array read as one row of text: its first qxGetN(a) codes (the
// whole of a one-row array, the first row's worth in storage order of a
// taller one), and none when it has no rows.
std::span<const qxChar> rowCodes(const qxArray *a);

// A char array as rows and columns (columns count every dimension after the
// first).
class CharMatrix {
 public:
  explicit CharMatrix(const qxArray *a);

  std::size_t rows() const { return rows_; }
  std::size_t cols() const { return cols_; }
  std::span<const qxChar> codes() const { return codes_; }
  qxChar at(std::size_t row, std::size_t col) const { return codes_[col * rows_ + row]; }
  // Column j: rows() codes, contiguous.
  std::span<const qxChar> column(std::size_t j) const { return codes_.subspan(j * rows_, rows_); }

 private:
  std::span<const qxChar> codes_;
  std::size_t rows_;
  std::size_t cols_;
};

}  // namespace zq::common
