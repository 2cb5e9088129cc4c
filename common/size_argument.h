// The size argument of the reading builtins (fread, fscanf, sscanf): how
// many values to read and the shape of the result.
#pragma once

#include "host/qx.h"

namespace zq::common {

// M rows, N columns (-1: no limit) and the number of elements of the size
// argument (0 when there was none).
struct SizeArgument {
  int rows = 1;
  int cols = -1;
  int dims = 0;
};

// Reads a size argument of any numeric class (the real part): a scalar n
// (0: nothing, Inf: no limit), [M N] or [M Inf], each truncated toward
// zero; anything else ("Invalid size."): char, NaN, negative values, more
// than two elements, M infinite, M x N beyond the int range. A null
// argument gives the default (one row, no limit).
SizeArgument sizeArgument(const qxArray *a);

}  // namespace zq::common
