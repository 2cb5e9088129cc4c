// The transfer descriptor: the process-wide record of the current data
// transfer, which the chunk list of a reading call grows against.
#pragma once

#include "host/qx.h"

namespace zq::fileio {

struct TransferDescriptor {
  int count = 0;        // values (bytes in byte mode) stored so far
  int byteMode = 0;     // 1 for "noconvert" transfers
  int resultClass = 6;  // host class identifier of the result
  int rows = 1;         // M of the size argument
  int cols = -1;        // N of the size argument, -1 for no limit
  int sizeDims = 0;     // elements of the size argument
  int resultKind = 0;   // set by the formatted readers (4 char, 2 numeric)
  int capacity = 0;     // values the chunk list can hold
  int chunkSize = 0;    // size of the next chunk
};

// The one descriptor of the process.
TransferDescriptor &transferDescriptor();

}  // namespace zq::fileio
