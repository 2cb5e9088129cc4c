// The size argument of the reading operations (fread, fscanf, sscanf): how
// many values to read and the shape of the result.
#pragma once

#include "host/qx.h"

namespace zq::fileio {

// M rows, N columns (-1: no limit) and the number of elements of the size
// argument (0 when there was none).
struct SizeArgument {
  int rows = 1;
  int cols = -1;
  int dims = 0;
};

// Reads a size argument: a scalar n (0: nothing, Inf: no limit), [M N] or
// [M Inf]; anything else raises host message 54. A null argument gives the
// default (one row, no limit).
SizeArgument sizeArgument(const qxArray *a);

}  // namespace zq::fileio
