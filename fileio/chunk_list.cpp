// The chunk list: growing storage of a transfer's result.
#include "fileio/chunk_list.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "common/outputs.h"
#include "fileio/precision.h"

namespace zq::fileio {
namespace {

Chunk *newChunk(qxArray *array) {
  auto *chunk = static_cast<Chunk *>(qxCalloc(1, sizeof(Chunk)));
  if (chunk == nullptr) {
    qxDestroyArray(array);
    qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  }
  chunk->array = array;
  return chunk;
}

void append(TransferDescriptor &t, Chunk *chunk) {
  if (t.last == nullptr) {
    t.first = chunk;
  } else {
    t.last->next = chunk;
  }
  t.last = chunk;
  ++t.chunkCount;
}

// A 1 x n array that holds `units` values, or bytes in byte mode.
qxArray *chunkArray(const TransferDescriptor &t, int units) {
  const size_t size = resultElementSize(t);
  const int elements = t.byteMode ? static_cast<int>((static_cast<size_t>(units) + size - 1) / size) : units;
  return common::created(qxCreateNumericMatrix(1, elements, t.resultClass, 0));
}

void destroyChunks(TransferDescriptor &t) {
  for (Chunk *c = t.first; c != nullptr;) {
    Chunk *next = c->next;
    qxDestroyArray(c->array);
    qxFree(c);
    c = next;
  }
  t.first = t.last = nullptr;
  t.chunkCount = 0;
}

// Units (values or bytes) a chunk's array can hold.
long long chunkUnits(const TransferDescriptor &t, const Chunk *c) {
  const long long elements = qxGetNumberOfElements(c->array);
  return t.byteMode ? elements * static_cast<long long>(resultElementSize(t)) : elements;
}

}  // namespace

TransferDescriptor &transferDescriptor() {
  static TransferDescriptor transfer;
  return transfer;
}

size_t resultElementSize(const TransferDescriptor &t) { return static_cast<size_t>(elementSizeOfClass(t.resultClass)); }

void startChunks(TransferDescriptor &t, qxArray *array) {
  destroyChunks(t);
  if (array == nullptr) {
    if (t.capacity != t.chunkSize) {
      t.capacity = t.chunkSize;
      array = chunkArray(t, t.chunkSize);
    } else {
      array = common::created(qxCreateNumericMatrix(t.rows, t.cols, t.resultClass, 0));
    }
  }
  append(t, newChunk(array));
}

bool growChunks(TransferDescriptor &t) {
  if (t.capacity >= INT_MAX) return false;
  const int size = t.capacity;
  t.capacity = t.capacity > INT_MAX / 2 ? INT_MAX : 2 * t.capacity;
  t.chunkSize = size;
  append(t, newChunk(chunkArray(t, t.capacity - size)));
  return true;
}

int chunkRoom(const TransferDescriptor &t) {
  return static_cast<int>(std::min<long long>(chunkUnits(t, t.last) - t.last->count, t.capacity - t.count));
}

void *chunkEnd(const TransferDescriptor &t) {
  const size_t unit = t.byteMode ? 1 : resultElementSize(t);
  return static_cast<char *>(qxGetData(t.last->array)) + unit * static_cast<size_t>(t.last->count);
}

void chunkStored(TransferDescriptor &t, int n) {
  t.last->count += n;
  t.count += n;
}

// When one chunk of the result class holds everything, it is reshaped in
// place (its unused tail is already zero); otherwise a zeroed result is
// filled chunk by chunk.
qxArray *finishChunks(TransferDescriptor &t) {
  const long long c = t.count;
  long long m = t.rows;
  if (c > 0 && (c < m || (t.resultKind == 4 && t.sizeDims != 2))) m = c;
  const long long size = static_cast<long long>(resultElementSize(t));
  const long long perColumn = t.byteMode ? m * size : m;
  const long long n = perColumn == 0 ? 0 : (c + perColumn - 1) / perColumn;
  const long long rows = m == 1 ? n : m;
  const long long cols = m == 1 ? 1 : n;

  Chunk *first = t.first;
  if (first->next == nullptr && qxGetClassID(first->array) == t.resultClass &&
      rows * cols <= qxGetNumberOfElements(first->array)) {
    qxSetM(first->array, static_cast<int>(rows));
    qxSetN(first->array, static_cast<int>(cols));
    return first->array;
  }
  qxArray *result =
      common::created(qxCreateNumericMatrix(static_cast<int>(rows), static_cast<int>(cols), t.resultClass, 0));
  auto *out = static_cast<char *>(qxGetData(result));
  for (Chunk *chunk = first; chunk != nullptr; chunk = chunk->next) {
    if (t.byteMode) {
      std::memcpy(out, qxGetData(chunk->array), static_cast<size_t>(chunk->count));
      out += chunk->count;
    } else {
      qxConvertBufferToType(out, t.resultClass, qxGetData(chunk->array), qxGetClassID(chunk->array), chunk->count);
      out += static_cast<size_t>(chunk->count) * static_cast<size_t>(size);
    }
  }
  destroyChunks(t);
  append(t, newChunk(result));
  t.first->count = static_cast<int>(c);
  return result;
}

void popChunk(TransferDescriptor &t) {
  Chunk *first = t.first;
  if (first == nullptr) return;
  t.first = first->next;
  if (t.first == nullptr) t.last = nullptr;
  qxFree(first);
  --t.chunkCount;
}

}  // namespace zq::fileio
