// The chunk list: growing storage of a transfer's result.
#include "fileio/chunk_list.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "common/outputs.h"
#include "fileio/precision.h"

namespace zq::fileio {
namespace {

// The capacity starts at a chunk and doubles up to INT_MAX values, so a
// list never holds more chunks than this: its records are reserved at once
// and growing never moves them.
constexpr std::size_t kMaxChunks = 40;

// A 1 x n array that holds `units` values, or bytes in byte mode.
common::OwnedArray chunkArray(const TransferDescriptor &t, int units) {
  const size_t size = resultElementSize(t);
  const int elements = t.byteMode ? static_cast<int>((static_cast<size_t>(units) + size - 1) / size) : units;
  return common::OwnedArray(common::created(qxCreateNumericMatrix(1, elements, t.resultClass, 0)));
}

}  // namespace

TransferDescriptor &transferDescriptor() {
  static TransferDescriptor transfer;
  return transfer;
}

size_t resultElementSize(const TransferDescriptor &t) { return static_cast<size_t>(elementSizeOfClass(t.resultClass)); }

ChunkList::ChunkList(TransferDescriptor &t) : t_(t) {
  chunks_.reserve(kMaxChunks);
  if (t.capacity != t.chunkSize) {
    t.capacity = t.chunkSize;
    append(chunkArray(t, t.chunkSize));
  } else {
    append(common::OwnedArray(common::created(qxCreateNumericMatrix(t.rows, t.cols, t.resultClass, 0))));
  }
}

void ChunkList::append(common::OwnedArray array) { chunks_.push_back(Chunk{0, std::move(array)}); }

bool ChunkList::grow() {
  if (t_.capacity >= INT_MAX) return false;
  const int size = t_.capacity;
  t_.capacity = t_.capacity > INT_MAX / 2 ? INT_MAX : 2 * t_.capacity;
  t_.chunkSize = size;
  append(chunkArray(t_, t_.capacity - size));
  return true;
}

// Units (values or bytes) a chunk's array can hold.
long long ChunkList::units(const Chunk &c) const {
  const long long elements = qxGetNumberOfElements(c.array.get());
  return t_.byteMode ? elements * static_cast<long long>(resultElementSize(t_)) : elements;
}

int ChunkList::room() const {
  const Chunk &last = chunks_.back();
  return static_cast<int>(std::min<long long>(units(last) - last.count, t_.capacity - t_.count));
}

void *ChunkList::end() const {
  const Chunk &last = chunks_.back();
  const size_t unit = t_.byteMode ? 1 : resultElementSize(t_);
  return static_cast<char *>(qxGetData(last.array.get())) + unit * static_cast<size_t>(last.count);
}

void ChunkList::stored(int n) {
  chunks_.back().count += n;
  t_.count += n;
}

// When one chunk of the result class holds everything, it is reshaped in
// place (its unused tail is already zero); otherwise a zeroed result is
// filled chunk by chunk.
common::OwnedArray ChunkList::finish() {
  const TransferDescriptor &t = t_;
  const long long c = t.count;
  long long m = t.rows;
  if (c > 0 && (c < m || (t.resultKind == 4 && t.sizeDims != 2))) m = c;
  const long long size = static_cast<long long>(resultElementSize(t));
  const long long perColumn = t.byteMode ? m * size : m;
  const long long n = perColumn == 0 ? 0 : (c + perColumn - 1) / perColumn;
  const long long rows = m == 1 ? n : m;
  const long long cols = m == 1 ? 1 : n;

  qxArray *first = chunks_.front().array.get();
  if (chunks_.size() == 1 && qxGetClassID(first) == t.resultClass && rows * cols <= qxGetNumberOfElements(first)) {
    qxSetM(first, static_cast<int>(rows));
    qxSetN(first, static_cast<int>(cols));
    return takeFirst();
  }
  common::OwnedArray result(
      common::created(qxCreateNumericMatrix(static_cast<int>(rows), static_cast<int>(cols), t.resultClass, 0)));
  auto *out = static_cast<char *>(qxGetData(result.get()));
  for (const Chunk &chunk : chunks_) {
    const void *values = qxGetData(chunk.array.get());
    if (t.byteMode) {
      std::memcpy(out, values, static_cast<size_t>(chunk.count));
      out += chunk.count;
    } else {
      qxConvertBufferToType(out, t.resultClass, values, qxGetClassID(chunk.array.get()), chunk.count);
      out += static_cast<size_t>(chunk.count) * static_cast<size_t>(size);
    }
  }
  chunks_.clear();
  return result;
}

common::OwnedArray ChunkList::takeFirst() {
  common::OwnedArray first = std::move(chunks_.front().array);
  chunks_.clear();
  return first;
}

}  // namespace zq::fileio
