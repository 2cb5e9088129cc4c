// The chunk list of a transfer: storage for a result whose length is not
// known in advance. A reader makes the list (which makes the first chunk),
// writes values into the last chunk (room/end/stored), grows the list when
// the chunk is full, and finally takes the values as one matrix shaped by
// the size argument. The list belongs to the call that reads: whatever it
// still holds when the call ends, or an error unwinds it, is destroyed.
//
// Typical use:
//   transfer.capacity = 0; transfer.chunkSize = 512;
//   ChunkList chunks(transfer);
//   while (read values into chunks.end(), stopped early == false)
//     chunks.grow();
//   common::OwnedArray result = chunks.finish();
#pragma once

#include <cstddef>
#include <vector>

#include "common/owned.h"
#include "fileio/transfer.h"
#include "host/qx.h"

namespace zq::fileio {

class ChunkList {
 public:
  // Creates the first chunk: a 1 x chunkSize array of resultClass when
  // capacity differs from chunkSize (capacity becomes chunkSize), else a
  // rows x cols array.
  explicit ChunkList(TransferDescriptor &t);
  ChunkList(const ChunkList &) = delete;
  ChunkList &operator=(const ChunkList &) = delete;

  // Appends a chunk as large as the current capacity, doubling the capacity
  // (at most to INT_MAX values). Returns false when the capacity cannot grow.
  bool grow();

  // Values (bytes in byte mode) the list can still take, all in the last
  // chunk (capacity - count), and the address where the next one goes.
  int room() const;
  void *end() const;
  // Records n values (bytes) stored at end().
  void stored(int n);

  // The result of the values collected, by the shape rule: with c values,
  // M = c when 0 < c < rows (or, for the formatted readers' resultKind 4
  // without a two-element size, always); N = ceil(c / M); an M of 1 gives
  // an N x 1 column. The chunks' values are converted into it in order.
  // The list is empty afterwards. "Out of memory." when the host cannot
  // make the result.
  common::OwnedArray finish();
  // The first chunk's array as it was made (a fixed-size read that filled
  // it); the list is empty afterwards.
  common::OwnedArray takeFirst();

 private:
  struct Chunk {
    int count = 0;  // values (bytes) stored in it
    common::OwnedArray array;
  };
  void append(common::OwnedArray array);
  long long units(const Chunk &c) const;

  TransferDescriptor &t_;
  std::vector<Chunk> chunks_;
};

// Element size of the descriptor's result class.
size_t resultElementSize(const TransferDescriptor &t);

}  // namespace zq::fileio
