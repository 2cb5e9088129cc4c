// The column chunker of the printers: how columns are grouped to fit the
// window, the headings of each printer, and stopping.
#include "display/column_chunks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/display_support.h"

namespace {

using zq::display::kGridHeadings;
using zq::display::kMatrixHeadings;
using zq::display::printColumnChunks;

// The chunks [s, e) of columns of the given widths in a line of `room`,
// with what the printer printed (rows stand for "s-e").
struct Split {
  std::vector<std::pair<int, int>> chunks;
  std::string printed;
  std::vector<int> asked;  // the columns whose width was asked, in order
};

Split split(const std::vector<std::size_t> &widths, std::size_t room,
            const zq::display::ChunkHeadings &headings = kGridHeadings) {
  Split result;
  zqtest::StdoutCapture capture;
  printColumnChunks(
      static_cast<int>(widths.size()), room, headings,
      [&](int j) {
        result.asked.push_back(j);
        return widths[static_cast<std::size_t>(j)];
      },
      [&](int s, int e) {
        result.chunks.emplace_back(s, e);
        utPrintf("%d-%d\n", s + 1, e);
        return true;
      });
  result.printed = capture.text();
  return result;
}

using Chunks = std::vector<std::pair<int, int>>;

class ColumnChunksTest : public zqtest::DisplayTest {};

TEST_F(ColumnChunksTest, EqualColumnsFillTheRoomAndTheLastChunkTakesTheRest) {
  // room / width columns per chunk, at least one.
  EXPECT_EQ(split({10, 10, 10, 10, 10}, 29).chunks, (Chunks{{0, 2}, {2, 4}, {4, 5}}));
  EXPECT_EQ(split({10, 10, 10, 10, 10}, 30).chunks, (Chunks{{0, 3}, {3, 5}}));
  EXPECT_EQ(split({10, 10, 10}, 9).chunks, (Chunks{{0, 1}, {1, 2}, {2, 3}}));
  EXPECT_EQ(split({10, 10, 10}, 100).chunks, (Chunks{{0, 3}}));
}

TEST_F(ColumnChunksTest, AColumnThatOverflowsHeadsTheNextChunk) {
  const Split s = split({8, 8, 20, 4}, 24);
  EXPECT_EQ(s.chunks, (Chunks{{0, 2}, {2, 4}}));
  EXPECT_EQ(s.asked, (std::vector<int>{0, 1, 2, 2, 3}));
  // A column wider than the room still makes a chunk of its own.
  EXPECT_EQ(split({50, 5}, 24).chunks, (Chunks{{0, 1}, {1, 2}}));
  // Even a window with no room at all moves on, a column at a time.
  EXPECT_EQ(split({4, 4}, 0).chunks, (Chunks{{0, 1}, {1, 2}}));
}

TEST_F(ColumnChunksTest, HeadingsNameTheColumnsOnlyWhenTheyDoNotFitInOneChunk) {
  EXPECT_EQ(split({10, 10, 10}, 25).printed, "  Columns 1 through 2\n\n1-2\n\n3-3\n\n");
  EXPECT_EQ(split({10, 10, 10}, 25, kMatrixHeadings).printed,
            "  Columns 1 through 2 \n\n1-2\n\n  Column 3 \n\n3-3\n\n");
  EXPECT_EQ(split({10, 10}, 25, kMatrixHeadings).printed, "1-2\n\n");
  zqtest::setFormat("compact");
  EXPECT_EQ(split({10, 10, 10}, 25).printed, "  Columns 1 through 2\n1-2\n3-3\n");
}

TEST_F(ColumnChunksTest, APrinterThatStopsEndsThePrinting) {
  std::vector<std::pair<int, int>> printed;
  zqtest::StdoutCapture capture;
  printColumnChunks(
      6, 20, kGridHeadings, [](int) { return std::size_t{10}; },
      [&](int s, int e) {
        printed.emplace_back(s, e);
        return false;
      });
  EXPECT_EQ(printed, (Chunks{{0, 2}}));
  EXPECT_EQ(capture.text(), "  Columns 1 through 2\n\n");
}

}  // namespace
