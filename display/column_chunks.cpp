// Headings of the column chunks of the printers.
#include "display/column_chunks.h"

namespace zq::display {

void printChunkHeading(const ChunkHeadings &headings, int s, int e) {
  if (e - s > 1) {
    utPrintf(headings.columns, s + 1, e, newline());
  } else if (headings.oneColumn != nullptr) {
    utPrintf(headings.oneColumn, e, newline());
  }
}

}  // namespace zq::display
