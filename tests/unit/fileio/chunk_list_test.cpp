// The chunk list of a reading call: growth, the shape rule of the result,
// byte mode, and ownership of what it still holds.
#include "fileio/chunk_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "support/host_fixture.h"

namespace {

using zq::fileio::ChunkList;
using zq::fileio::TransferDescriptor;

// A descriptor for doubles with a first chunk of `first` values.
TransferDescriptor doubles(int rows, int cols, int first) {
  TransferDescriptor t;
  t.resultClass = QX_CLASS_DOUBLE;
  t.rows = rows;
  t.cols = cols;
  t.chunkSize = first;
  return t;
}

// Stores n consecutive values from `next` on, growing the list as needed.
void storeValues(ChunkList &chunks, int n, double &next) {
  while (n > 0) {
    if (chunks.room() == 0) {
      ASSERT_TRUE(chunks.grow());
    }
    const int part = std::min(n, chunks.room());
    auto *out = static_cast<double *>(chunks.end());
    for (int i = 0; i < part; ++i) out[i] = next++;
    chunks.stored(part);
    n -= part;
  }
}

std::vector<double> valuesOf(const qxArray *a) {
  const double *p = qxGetPr(a);
  return std::vector<double>(p, p + qxGetNumberOfElements(a));
}

TEST(ChunkList, GrowsByDoublingAndJoinsTheChunksInOrder) {
  TransferDescriptor t = doubles(1, -1, 4);
  ChunkList chunks(t);
  double next = 1;
  storeValues(chunks, 11, next);  // chunks of 4, 4 and 8 values
  EXPECT_EQ(t.capacity, 16);
  EXPECT_EQ(t.count, 11);
  EXPECT_EQ(chunks.room(), 5);
  const zq::common::OwnedArray result = chunks.finish();
  // One row asked for: the values come back as a column.
  EXPECT_EQ(qxGetM(result.get()), 11);
  EXPECT_EQ(qxGetN(result.get()), 1);
  EXPECT_EQ(valuesOf(result.get()), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST(ChunkList, ShapesTheResultByTheRowsOfTheSize) {
  const struct {
    int rows, stored, m, n;
  } cases[] = {
      {3, 7, 3, 3},  // the last column padded with zeros
      {3, 2, 2, 1},  // fewer values than rows: one column of them
      {4, 0, 4, 0},  // nothing read: no columns
  };
  for (const auto &c : cases) {
    TransferDescriptor t = doubles(c.rows, -1, 2);
    ChunkList chunks(t);
    double next = 1;
    storeValues(chunks, c.stored, next);
    const zq::common::OwnedArray result = chunks.finish();
    EXPECT_EQ(qxGetM(result.get()), c.m) << c.rows << " rows, " << c.stored << " values";
    EXPECT_EQ(qxGetN(result.get()), c.n) << c.rows << " rows, " << c.stored << " values";
    if (c.stored == 7) {
      EXPECT_EQ(valuesOf(result.get()), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 0, 0}));
    }
  }
}

TEST(ChunkList, AFixedSizeIsOneChunkOfThatShape) {
  TransferDescriptor t = doubles(2, 3, 6);
  t.capacity = 6;  // capacity equal to the chunk size: the first chunk is rows x cols
  ChunkList chunks(t);
  EXPECT_EQ(chunks.room(), 6);
  double next = 1;
  storeValues(chunks, 6, next);
  const zq::common::OwnedArray full = chunks.takeFirst();
  EXPECT_EQ(qxGetM(full.get()), 2);
  EXPECT_EQ(qxGetN(full.get()), 3);
}

TEST(ChunkList, CountsBytesInByteMode) {
  TransferDescriptor t;
  t.resultClass = QX_CLASS_INT16;
  t.byteMode = 1;
  t.chunkSize = 3;  // bytes: two int16 elements hold them
  ChunkList chunks(t);
  EXPECT_EQ(chunks.room(), 3);
  const unsigned char bytes[] = {1, 0, 2};
  std::memcpy(chunks.end(), bytes, 3);
  chunks.stored(3);
  ASSERT_TRUE(chunks.grow());
  const unsigned char more[] = {0, 3, 0};
  std::memcpy(chunks.end(), more, 3);
  chunks.stored(3);
  const zq::common::OwnedArray result = chunks.finish();
  ASSERT_EQ(qxGetNumberOfElements(result.get()), 3);
  const auto *values = static_cast<const int16_t *>(qxGetData(result.get()));
  EXPECT_EQ(values[0], 1);
  EXPECT_EQ(values[1], 2);
  EXPECT_EQ(values[2], 3);
}

// A list left by an error holds arrays that nobody else knows: they go with
// it (the sanitizer build reports a leak otherwise), and the next list
// starts from its own first chunk.
TEST(ChunkList, ReleasesWhatItHoldsWhenAnErrorUnwindsTheReader) {
  TransferDescriptor t = doubles(1, -1, 4);
  EXPECT_THROW(
      {
        ChunkList chunks(t);
        double next = 1;
        storeValues(chunks, 9, next);
        throw std::runtime_error("read failed");
      },
      std::runtime_error);
  t = doubles(1, -1, 4);
  ChunkList again(t);
  EXPECT_EQ(again.room(), 4);
  EXPECT_EQ(t.count, 0);
}

}  // namespace
