// The columns of a printed grid split into chunks that fit the window, each
// chunk under a "Columns s through e" heading when there is more than one.
// The numeric matrix printer, the cell grid and the function-handle grid
// all print this way.
#pragma once

#include <cstddef>

#include "display/state.h"
#include "host/ut.h"

namespace zq::display {

// The headings of one printer's chunks (printf formats of the first and
// last column numbers, then the newline string).
struct ChunkHeadings {
  const char *oneColumn;  // a chunk of one column; null: such a chunk has no heading
  const char *columns;    // a chunk of several columns
};
// The numeric printer names a lone column too, and ends with a blank.
inline constexpr ChunkHeadings kMatrixHeadings{"  Column %d \n%s", "  Columns %d through %d \n%s"};
// The cell and function-handle grids name ranges only.
inline constexpr ChunkHeadings kGridHeadings{nullptr, "  Columns %d through %d\n%s"};

// Prints the heading of the chunk of columns s to e - 1 (0-based).
void printChunkHeading(const ChunkHeadings &headings, int s, int e);

// Prints n columns in chunks that fit a line of `room` characters. A chunk
// takes columns while the width taken so far (width(j) for column j, asked
// in order) is below room, at least one; a chunk of several columns that
// came out wider than room gives its last one back to the next chunk, which
// asks its width again. Each chunk prints its heading when the columns do not all fit
// in one chunk, then printRows(s, e) for the columns s to e - 1, then the
// newline string. printRows returns false to stop the printing (a stop
// request): nothing more is printed.
template <class Width, class PrintRows>
void printColumnChunks(int n, std::size_t room, const ChunkHeadings &headings, Width &&width, PrintRows &&printRows) {
  for (int s = 0; s < n;) {
    std::size_t total = 0;
    int e = s;
    do {
      total += width(e++);
    } while (e < n && total < room);
    if (total > room && e - s > 1) --e;
    if (e - s < n) printChunkHeading(headings, s, e);
    if (!printRows(s, e)) return;
    utPrintf("%s", newline());
    s = e;
  }
}

}  // namespace zq::display
