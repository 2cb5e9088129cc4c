// The numeric matrix printer and the pieces the special formats share
// with it.
#pragma once

#include <cstddef>

#include "display/number_formats.h"
#include "host/qx.h"

namespace zq::display {

// Writes a numeric array of at most two dimensions to the command window in
// the current print format: the name line, the empty-value messages, one
// number format and scale factor for the whole matrix, column chunks that
// fit the window. A null name means the array's own name.
void printNumericMatrix(const qxArray *a, const char *name);

// Prints the "name =" line with the blank lines of loose spacing.
void printNameLine(const char *label);

// The sparse row label "(r,k)" with its comma at column (width - 1) / 2,
// padded with blanks to width (11 or 23) characters when it fits.
inline constexpr int kSparseLabelSize = 48;
void formatSparseIndex(int row, int col, char (&buffer)[kSparseLabelSize], int width);

// The matrix as the printer walks it: rows by columns of elements, where a
// sparse array is its list of stored nonzeros (one per row, one column).
struct MatrixView {
  const qxArray *array;
  const ClassTraits *traits;
  const char *real;
  const char *imag;  // null for a real array
  std::size_t elementSize;
  int rows;
  int cols;
  std::size_t count;
  const int *ir;  // sparse only: row indices and column starts
  const int *jc;
  int labelWidth;  // sparse label width, 0 for a full array

  double realAt(std::size_t i) const { return traits->read(real + i * elementSize); }
  double imagAt(std::size_t i) const { return imag == nullptr ? 0.0 : traits->read(imag + i * elementSize); }
};

// Prints the sparse labels of successive rows; nothing for a full array.
class RowLabels {
 public:
  explicit RowLabels(const MatrixView &view) : view_(view) {}
  // Prints the label of output row i (rows are visited in increasing order)
  // and leaves through the host if the user has interrupted.
  void startRow(int i);

 private:
  const MatrixView &view_;
  int col_ = 0;
};

// True when the host asks printing to stop; the newline string is then
// printed to end the output.
bool stopRequested();

// How every element of one matrix is printed, chosen once per matrix.
struct ElementStyle {
  int printFormat;  // hex, rational or one of the plain styles
  int format;       // index into kNumberFormats
  double scale;
  bool showImag;
  bool multiColumn;
};

// The special formats: the "+" rows, the debug line, one element in hex or
// as a fraction, and the continued-fraction approximation.
void printSigns(const MatrixView &view);
void printDebugLine(const MatrixView &view);
void printHexElement(const MatrixView &view, const ElementStyle &style, std::size_t i);
void printRationalElement(const MatrixView &view, const ElementStyle &style, std::size_t i);
void rationalApprox(double x, double tol, double *p, double *q);

}  // namespace zq::display
