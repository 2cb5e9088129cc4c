// The chunk list of the transfer descriptor: storage for a result whose
// length is not known in advance. A reader starts the list, writes values
// into the last chunk (chunkRoom/chunkEnd), grows the list when the chunk
// is full, and finally finishes it into one matrix shaped by the size
// argument, which stays as the array of the first chunk until it is popped.
//
// Typical use:
//   transfer.capacity = 0; transfer.chunkSize = 512;
//   startChunks(transfer);
//   while (read values into chunkEnd(transfer), stopped early == false)
//     growChunks(transfer);
//   qxArray *result = finishChunks(transfer);  (caller stores it)
//   popChunk(transfer);
#pragma once

#include <cstddef>

#include "fileio/transfer.h"
#include "host/qx.h"

namespace zq::fileio {

// Creates the first chunk: `array` when given (the list then owns it),
// else a 1 x chunkSize array of resultClass when capacity differs from
// chunkSize (capacity becomes chunkSize), else a rows x cols array. Left-over
// chunks of an interrupted transfer are destroyed first.
void startChunks(TransferDescriptor &t, qxArray *array = nullptr);

// Appends a chunk as large as the current capacity, doubling the capacity
// (at most to INT_MAX values). Returns false when the capacity cannot grow.
bool growChunks(TransferDescriptor &t);

// Values (bytes in byte mode) the list can still take, all in the last
// chunk (capacity - count), and the address
// where the next one goes.
int chunkRoom(const TransferDescriptor &t);
void *chunkEnd(const TransferDescriptor &t);
// Records n values (bytes) stored at chunkEnd.
void chunkStored(TransferDescriptor &t, int n);

// Builds the result of the values collected, by the shape rule: with c
// values, M = c when 0 < c < rows (or, for the formatted readers'
// resultKind 4 without a two-element size, always); N = ceil(c / M); an
// M of 1 gives an N x 1 column. The chunks' values are converted into it in
// order, the chunk arrays destroyed, and the result is left as the array of
// the only remaining chunk. Raises host message 18 when the host cannot
// make the result.
qxArray *finishChunks(TransferDescriptor &t);

// Frees the first chunk record (not its array).
void popChunk(TransferDescriptor &t);

// Element size of the descriptor's result class.
size_t resultElementSize(const TransferDescriptor &t);

}  // namespace zq::fileio
