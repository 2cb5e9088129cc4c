// Creation, queries and changes of host arrays.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <vector>

#include "array_impl.h"
#include "zqhost/faults.h"
#include "zqhost/host.h"

// The helpers on the path of creating and destroying an array are inlined
// into each creation call: they run for every value a builtin returns.
#define HOT [[gnu::always_inline]] inline

namespace zqhost {

Dims &Dims::operator=(const Dims &other) {
  if (this != &other) assign(other);
  return *this;
}

Dims &Dims::operator=(std::span<const int> dims) {
  assign(dims);
  return *this;
}

// Copies dims in; a source that is this object's own storage stays valid
// until the copy is made.
void Dims::assign(std::span<const int> dims) {
  if (dims.size() <= kInline) {
    int copy[kInline];
    std::copy(dims.begin(), dims.end(), copy);
    std::copy(copy, copy + dims.size(), inline_);
    heap_.reset();
  } else {
    auto grown = std::make_unique<int[]>(dims.size());
    std::copy(dims.begin(), dims.end(), grown.get());
    heap_ = std::move(grown);
  }
  size_ = dims.size();
}

size_t elementSizeOf(int classId) {
  // Indexed by class identifier; 0 for classes without element storage.
  static constexpr size_t kSizes[] = {
      0,                               // 0: none
      sizeof(qxArray *),               // cell
      sizeof(qxArray *),               // struct
      sizeof(qxArray *),               // object
      2,                               // char
      sizeof(double),                  // sparse
      sizeof(double),                  // double
      4,                               // single
      1,                               // int8
      1,                               // uint8
      2,                               // int16
      2,                               // uint16
      4,                               // int32
      4,                               // uint32
      0,                               // 14: none
      0,                               // 15: none
      sizeof(qxFunctionHandleRecord),  // function
  };
  static_assert(QX_CLASS_CELL == 1 && QX_CLASS_STRUCT == 2 && QX_CLASS_OBJECT == 3 && QX_CLASS_CHAR == 4 &&
                QX_CLASS_SPARSE == 5 && QX_CLASS_DOUBLE == 6 && QX_CLASS_SINGLE == 7 && QX_CLASS_INT8 == 8 &&
                QX_CLASS_UINT32 == 13 && QX_CLASS_FUNCTION == 16);
  return classId >= 0 && static_cast<size_t>(classId) < std::size(kSizes) ? kSizes[classId] : 0;
}

namespace {

// The exact product while it fits in an int, else INT_MAX + 1; an extent of
// zero (or less) anywhere makes it 0, even after a product beyond the limit.
long long boundedProduct(std::span<const int> dims) {
  long long n = 1;
  for (int d : dims) {
    if (d <= 0) return 0;
    if (n <= INT_MAX) n *= d;  // at most INT_MAX * INT_MAX: no overflow
  }
  return n > INT_MAX ? static_cast<long long>(INT_MAX) + 1 : n;
}

}  // namespace

bool beyondIntCount(std::span<const int> dims) { return boundedProduct(dims) > INT_MAX; }

int elementCount(std::span<const int> dims) {
  const long long n = boundedProduct(dims);
  return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

namespace {

// Every block and record of the host comes from these, so that a test build
// can make any of them fail.
HOT void *hostMalloc(size_t bytes) { return faults::due(faults::Kind::kAllocation) ? nullptr : std::malloc(bytes); }
HOT void *hostCalloc(size_t count, size_t size) {
  return faults::due(faults::Kind::kAllocation) ? nullptr : std::calloc(count, size);
}

// Stores dims in a->dims with at least two entries, negative extents as
// zero and trailing singleton dimensions beyond the second dropped.
void setNormalised(qxArray *a, std::span<const int> dims) {
  if (dims.size() == 2) {
    a->dims.setMatrix(std::max(dims[0], 0), std::max(dims[1], 0));
    return;
  }
  const int padding[2] = {dims.empty() ? 0 : dims[0], 1};
  a->dims = dims.size() >= 2 ? dims : std::span<const int>(padding, 2);
  size_t n = a->dims.size();
  for (size_t k = 0; k < n; ++k) a->dims[k] = a->dims[k] < 0 ? 0 : a->dims[k];
  while (n > 2 && a->dims[n - 1] == 1) --n;
  a->dims.shrink(n);
}

// Array records, and the small data blocks of destroyed arrays, are
// recycled through short free-lists: creating and destroying scalars and
// short rows is the commonest thing the host does. Sanitizer builds keep
// no lists, so every record and block is a heap block the leak checker
// sees. The host serves one thread, like its builtin registry and
// allocation list.
// GCC says so with __SANITIZE_ADDRESS__, clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define ZQ_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZQ_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(ZQ_ADDRESS_SANITIZER)
constexpr size_t kSpares = 0;
#else
constexpr size_t kSpares = 64;
#endif

// Spare records are kept constructed and in their default state, so taking
// one costs no construction at all.
struct SpareRecords {
  qxArray *slots[kSpares + 1] = {};  // one more: no zero-length array
  size_t count = 0;
  ~SpareRecords() {
    while (count > 0) delete slots[--count];
  }
} spares;

struct SpareBlocks {
  struct Block {
    void *data;
    size_t bytes;
  };
  Block slots[kSpares + 1] = {};
  size_t count = 0;
  ~SpareBlocks() {
    while (count > 0) std::free(slots[--count].data);
  }
} spareBlocks;

// Blocks up to this size are cleared by hand and may be kept for reuse;
// larger ones come from calloc, which gets fresh pages already zeroed.
constexpr size_t kSmallBlock = 1024;

// A small block of at least `bytes` (its size in *capacity): the last spare
// one when it is big enough, else a new one from malloc.
HOT void *smallBlock(size_t bytes, size_t *capacity) {
  if (spareBlocks.count > 0 && spareBlocks.slots[spareBlocks.count - 1].bytes >= bytes) {
    const SpareBlocks::Block spare = spareBlocks.slots[--spareBlocks.count];
    *capacity = spare.bytes;
    return spare.data;
  }
  *capacity = bytes;
  return hostMalloc(bytes);
}

// A zeroed block of `bytes` bytes (at least one). Small blocks are cleared
// by hand: calloc bypasses the allocator's per-thread cache, which makes it
// several times slower than malloc for the short rows and vectors most
// arrays hold. The empty asm statement keeps the compiler from fusing
// malloc and memset back into calloc, and from expanding memset into a
// slow-starting string instruction once it knows the size is small.
// *capacity gets the size of a small block and 0 for a large one.
HOT void *zeroedBytes(size_t bytes, size_t *capacity) {
  bytes = bytes == 0 ? 1 : bytes;
  if (bytes > kSmallBlock) [[unlikely]] {
    *capacity = 0;
    return hostCalloc(bytes, 1);
  }
  void *block = smallBlock(bytes, capacity);
  if (block == nullptr) return nullptr;
#if defined(__GNUC__)
  asm volatile("" : "+r"(bytes) : "r"(block) : "memory");
#endif
  return std::memset(block, 0, bytes);
}

// Zeroed storage for count elements of size bytes (null when the size
// overflows or memory is short).
void *zeroedBlock(size_t count, size_t size) {
  size_t bytes = 0, capacity = 0;
  if (__builtin_mul_overflow(count, size, &bytes)) return nullptr;
  return zeroedBytes(bytes, &capacity);
}

// Zeroed storage for the `bytes` bytes of one of a's data blocks (slot 0
// for pr, 1 for pi): the record's tiny slot when they fit in it, else the
// heap. A small heap block for pr is marked for reuse. An empty array gets
// a heap block: callers may replace its data with qxSetData and free the
// old block with qxFree.
HOT void *zeroedData(qxArray *a, int slot, size_t bytes) {
  // The element pointers of a container always go to the heap, where
  // copies can share them.
  const bool container = a->classId >= QX_CLASS_CELL && a->classId <= QX_CLASS_OBJECT;
  if (bytes - 1 < sizeof a->tiny[0] && !container) {  // 1 to 8 bytes
    a->tiny[slot] = 0;
    return &a->tiny[slot];
  }
  size_t unused = 0;
  return zeroedBytes(bytes, slot == 0 ? &a->reusableBytes : &unused);
}

// Frees data block p of a unless it is the record's own tiny storage.
HOT void freeData(qxArray *a, void *p) {
  if (p != nullptr && p != &a->tiny[0] && p != &a->tiny[1]) std::free(p);
}

// Releases pr: a small block the host allocated goes to the spare blocks
// while there is room, anything else is freed.
HOT void releasePr(qxArray *a) {
  if (a->reusableBytes > 0 && a->pr != nullptr && spareBlocks.count < kSpares) {
    spareBlocks.slots[spareBlocks.count++] = {a->pr, a->reusableBytes};
  } else {
    freeData(a, a->pr);
  }
  a->reusableBytes = 0;
}

// A record in its default state: a 0 x 0 real double without data.
HOT qxArray *newRecord() {
  if (spares.count > 0) return spares.slots[--spares.count];
  if (faults::due(faults::Kind::kAllocation)) return nullptr;
  return new (std::nothrow) qxArray_tag;
}

// Puts a record whose data is released back to its default state and keeps
// it for the next newRecord while there is room. Its extras are emptied but
// kept: the shell names every variable it passes to a builtin, so the next
// record will likely need them again.
HOT void deleteRecord(qxArray *a) {
  if (spares.count >= kSpares) {
    delete a;
    return;
  }
  a->classId = QX_CLASS_DOUBLE;
  a->logical = false;
  a->dims.setMatrix(0, 0);
  a->nzmax = 0;
  if (a->extras) [[unlikely]]
    a->extras->clear();
  spares.slots[spares.count++] = a;
}

int fieldCount(const qxArray *a) { return a->extras ? static_cast<int>(a->extras->fieldNames.size()) : 0; }

const std::vector<std::string> &fieldNamesOf(const qxArray *a) {
  static const std::vector<std::string> none;
  return a->extras ? a->extras->fieldNames : none;
}

// Leaves the share of a's data: true when a was its last holder, so that
// the blocks are now a's alone.
bool leaveShare(const qxArray *a) {
  DataShare *share = a->share;
  a->share = nullptr;
  if (--share->holders > 0) return false;
  delete share;
  return true;
}

// Classes whose data is plain values, which arrays may share.
bool holdsPlainValues(int classId) {
  return classId == QX_CLASS_CHAR || classId == QX_CLASS_DOUBLE ||
         (classId >= QX_CLASS_SINGLE && classId <= QX_CLASS_UINT32);
}

bool holdsArrays(int classId) {
  return classId == QX_CLASS_CELL || classId == QX_CLASS_STRUCT || classId == QX_CLASS_OBJECT;
}

// Slots of element pointers: one per cell, nfields per structure element.
int pointerSlots(const qxArray *a) {
  const int n = a->dims.count();
  return a->classId == QX_CLASS_CELL ? n : n * fieldCount(a);
}

// Containers held by a container being destroyed wait in this list and are
// destroyed by the loop in qxDestroyArray, not by recursion: a cell nested
// a million levels deep must not need a million stack frames.
struct DeferredDestruction {
  std::vector<qxArray *> arrays;
  bool draining = false;
} deferred;

// False when there is no room to defer e: it is then destroyed at once.
bool deferDestruction(qxArray *e) {
  try {
    deferred.arrays.push_back(e);
    return true;
  } catch (const std::bad_alloc &) {
    return false;
  }
}

// Destroys the elements of a container and frees the texts of function
// handles: what the data of the other classes does not have.
[[gnu::noinline]] void releaseElements(qxArray *a) {
  if (holdsArrays(a->classId)) {
    auto **elements = static_cast<qxArray **>(a->pr);
    for (int i = 0, n = pointerSlots(a); i < n; ++i) {
      qxArray *e = elements[i];
      if (e != nullptr && holdsArrays(e->classId) && deferDestruction(e)) continue;
      qxDestroyArray(e);
    }
  } else {
    releaseHandles(static_cast<qxFunctionHandleRecord *>(a->pr), a->dims.count());
  }
}

HOT void releaseData(qxArray *a) {
  if (a->share != nullptr && !leaveShare(a)) {
    a->pr = a->pi = nullptr;  // the other holders keep the blocks
    return;
  }
  if (a->pr != nullptr && (holdsArrays(a->classId) || a->classId == QX_CLASS_FUNCTION)) releaseElements(a);
  releasePr(a);
  freeData(a, a->pi);
  if (a->ir != nullptr) std::free(a->ir);
  if (a->jc != nullptr) std::free(a->jc);
  a->pr = a->pi = nullptr;
  a->ir = a->jc = nullptr;
}

// A new record with the class, logical flag and shape of a, without data.
// (Null when there is no memory for it.)
qxArray *recordLike(const qxArray *a) {
  qxArray *copy = newRecord();
  if (copy == nullptr) return nullptr;
  copy->classId = a->classId;
  copy->logical = a->logical;
  try {
    copy->dims = a->dims;
  } catch (const std::bad_alloc &) {
    deleteRecord(copy);
    return nullptr;
  }
  return copy;
}

// Gives copy the class name, field names and reported size of a (not its
// name or scope); false when there is no memory for them.
bool copyClassAndFields(qxArray *copy, const qxArray *a) {
  if (!a->extras || (a->extras->className.empty() && a->extras->fieldNames.empty())) return true;
  try {
    copy->more().className = a->extras->className;
    copy->extras->fieldNames = a->extras->fieldNames;
    copy->extras->reportedSize = a->extras->reportedSize;
  } catch (const std::bad_alloc &) {
    return false;
  }
  return true;
}

// Gives a new record of class classId, whose dimensions are set, zeroed
// storage for its elements; null (and the record gone) when there is no
// memory for it.
HOT qxArray *withData(qxArray *a, int classId, bool complex) {
  a->classId = classId;
  const size_t size = elementSizeOf(classId);
  if (size == 0) return a;
  // The count saturates at INT_MAX: a shape beyond it gets no array rather
  // than storage for fewer elements than it has.
  if (a->dims.count() == INT_MAX && beyondIntCount(a->dims)) {
    deleteRecord(a);
    return nullptr;
  }
  // At most INT_MAX elements of at most 16 bytes: the product fits.
  const size_t bytes = static_cast<size_t>(a->dims.count()) * size;
  a->pr = zeroedData(a, 0, bytes);
  if (complex) a->pi = zeroedData(a, 1, bytes);
  if (a->pr == nullptr || (complex && a->pi == nullptr)) {
    releaseData(a);
    deleteRecord(a);
    return nullptr;
  }
  return a;
}

// The common creation: two dimensions, no normalising beyond clamping.
HOT qxArray *newMatrix(int classId, int m, int n, bool complex) {
  qxArray *a = newRecord();
  if (a == nullptr) return nullptr;
  a->dims.setMatrix(std::max(m, 0), std::max(n, 0));
  return withData(a, classId, complex);
}

}  // namespace

qxArray *newArray(int classId, std::span<const int> dims, bool complex) {
  if (dims.size() == 2) return newMatrix(classId, dims[0], dims[1], complex);
  qxArray *a = newRecord();
  if (a == nullptr) return nullptr;
  setNormalised(a, dims);
  return withData(a, classId, complex);
}

// A container that shares its element pointers gets a block of its own,
// whose elements are shared copies of the ones it had: a record each, not a
// deep copy.
void ownElements(qxArray *a) {
  const int slots = pointerSlots(a);
  auto **own = static_cast<qxArray **>(zeroedBlock(static_cast<size_t>(slots), sizeof(qxArray *)));
  if (own == nullptr) raise(messageText(18));
  auto *const *elements = static_cast<qxArray *const *>(a->pr);
  for (int i = 0; i < slots; ++i) {
    if (elements[i] == nullptr) continue;
    own[i] = qxCreateSharedDataCopy(elements[i]);
    if (own[i] == nullptr) {
      for (int j = 0; j < i; ++j) qxDestroyArray(own[j]);
      std::free(own);
      raise(messageText(18));
    }
  }
  leaveShare(a);
  a->pr = own;
}

void ownData(qxArray *a) {
  if (a->share == nullptr) return;
  if (a->share->holders == 1) {
    leaveShare(a);
    return;
  }
  if (holdsArrays(a->classId)) return ownElements(a);
  const size_t bytes = static_cast<size_t>(a->dims.count()) * elementSizeOf(a->classId);
  auto copyOf = [bytes](const void *block) -> void * {
    void *copy = block == nullptr ? nullptr : hostMalloc(bytes == 0 ? 1 : bytes);
    if (copy != nullptr) std::memcpy(copy, block, bytes);
    return copy;
  };
  void *pr = copyOf(a->pr), *pi = copyOf(a->pi);
  if (pr == nullptr || (a->pi != nullptr && pi == nullptr)) {
    std::free(pr);
    std::free(pi);
    raise(messageText(18));
  }
  leaveShare(a);
  a->pr = pr;
  a->pi = pi;
}

namespace {

// The setters own the value they are given, also when they fail.
void ownOrDestroy(qxArray *a, qxArray *value) {
  try {
    ownData(a);
  } catch (...) {
    qxDestroyArray(value);
    throw;
  }
}

}  // namespace

}  // namespace zqhost

using namespace zqhost;

extern "C" {

// ---- Creation -------------------------------------------------------------

qxArray *qxCreateDoubleMatrix(int m, int n, int complexFlag) {
  return newMatrix(QX_CLASS_DOUBLE, m, n, complexFlag != 0);
}

qxArray *qxCreateScalarDouble(double value) {
  qxArray *a = newRecord();
  if (a == nullptr) return nullptr;
  a->dims.setMatrix(1, 1);
  a->tiny[0] = value;
  a->pr = &a->tiny[0];
  return a;
}

qxArray *qxCreateLogicalScalar(int value) {
  qxArray *a = qxCreateScalarDouble(value != 0 ? 1.0 : 0.0);
  if (a != nullptr) a->logical = true;
  return a;
}

qxArray *qxCreateString(const char *text) {
  const size_t length = text == nullptr ? 0 : std::strlen(text);
  if (length > INT_MAX) return nullptr;
  const int n = static_cast<int>(length);
  qxArray *a = newMatrix(QX_CLASS_CHAR, n == 0 ? 0 : 1, n, false);
  if (a == nullptr) return nullptr;
  auto *codes = static_cast<qxChar *>(a->pr);
  for (int i = 0; i < n; ++i) codes[i] = static_cast<unsigned char>(text[i]);
  return a;
}

qxArray *qxCreateCharArray(int ndims, const int *dims) {
  return newArray(QX_CLASS_CHAR, std::span<const int>(dims, static_cast<size_t>(ndims)), false);
}

qxArray *qxCreateNumericArray(int ndims, const int *dims, int classId, int complexFlag) {
  return newArray(classId, std::span<const int>(dims, static_cast<size_t>(ndims)), complexFlag != 0);
}

qxArray *qxCreateNumericMatrix(int m, int n, int classId, int complexFlag) {
  return newMatrix(classId, m, n, complexFlag != 0);
}

qxArray *qxCreateSparse(int m, int n, int nzmax, int complexFlag) {
  if (nzmax < 1) nzmax = 1;
  qxArray *a = newRecord();
  if (a == nullptr) return nullptr;
  a->classId = QX_CLASS_SPARSE;
  a->dims.setMatrix(std::max(m, 0), std::max(n, 0));
  a->nzmax = nzmax;
  a->pr = hostCalloc(static_cast<size_t>(nzmax), sizeof(double));
  if (complexFlag) a->pi = hostCalloc(static_cast<size_t>(nzmax), sizeof(double));
  a->ir = static_cast<int *>(hostCalloc(static_cast<size_t>(nzmax), sizeof(int)));
  a->jc = static_cast<int *>(hostCalloc(static_cast<size_t>(a->dims[1]) + 1, sizeof(int)));
  if (a->pr == nullptr || a->ir == nullptr || a->jc == nullptr || (complexFlag && a->pi == nullptr)) {
    qxDestroyArray(a);
    return nullptr;
  }
  return a;
}

qxArray *qxCreateCellArray(int ndims, const int *dims) {
  return newArray(QX_CLASS_CELL, std::span<const int>(dims, static_cast<size_t>(ndims)), false);
}

qxArray *qxCreateCellMatrix(int m, int n) { return newMatrix(QX_CLASS_CELL, m, n, false); }

qxArray *qxCreateStructArray(int ndims, const int *dims, int nfields, const char **names) {
  qxArray *a = newRecord();
  if (a == nullptr) return nullptr;
  a->classId = QX_CLASS_STRUCT;
  // Missing dimensions are 1; the extents are kept as given.
  const int padded[2] = {ndims > 0 ? dims[0] : 1, 1};
  try {
    a->dims = ndims >= 2 ? std::span<const int>(dims, static_cast<size_t>(ndims)) : std::span<const int>(padded, 2);
    if (nfields > 0) {
      std::vector<std::string> &fields = a->more().fieldNames;
      fields.reserve(static_cast<size_t>(nfields));
      for (int f = 0; f < nfields; ++f) fields.emplace_back(names[f]);
    }
  } catch (const std::bad_alloc &) {
    deleteRecord(a);
    return nullptr;
  }
  const size_t slots = static_cast<size_t>(a->dims.count()) * static_cast<size_t>(nfields);
  a->pr = hostCalloc(slots == 0 ? 1 : slots, sizeof(qxArray *));
  if (a->pr == nullptr) {
    deleteRecord(a);
    return nullptr;
  }
  return a;
}

qxArray *qxCreateStructMatrix(int m, int n, int nfields, const char **names) {
  const int dims[2] = {m, n};
  return qxCreateStructArray(2, dims, nfields, names);
}

qxArray *qxCreateObject(const char *className, qxArray *fieldsStruct) {
  if (fieldsStruct == nullptr || fieldsStruct->classId != QX_CLASS_STRUCT) return nullptr;
  fieldsStruct->classId = QX_CLASS_OBJECT;
  fieldsStruct->more().className = className;
  return fieldsStruct;
}

qxArray *qxCreateOpaque(const char *className, int ndims, const int *dims) {
  qxArray *a = newArray(QX_CLASS_OPAQUE, std::span<const int>(dims, static_cast<size_t>(ndims)), false);
  if (a != nullptr) a->more().className = className;
  return a;
}

// A copy of every block; null (nothing left behind) when any block or
// element cannot be copied.
qxArray *qxDuplicateArray(const qxArray *a) {
  if (a == nullptr) return nullptr;
  qxArray *copy = recordLike(a);
  if (copy == nullptr) return nullptr;
  copy->nzmax = a->nzmax;
  bool complete = copyClassAndFields(copy, a);
  const bool sparse = a->classId == QX_CLASS_SPARSE;
  const size_t n = sparse ? static_cast<size_t>(a->nzmax) : static_cast<size_t>(a->dims.count());
  const size_t size = zqhost::elementSizeOf(a->classId);
  // Copies a block; values (slot 0 or 1) may go to the tiny storage, index
  // vectors (slot -1) always go to the heap.
  auto dup = [&](const void *src, size_t count, size_t bytes, int slot) -> void * {
    if (src == nullptr) return nullptr;
    void *p = slot < 0 ? zeroedBlock(count, bytes) : zeroedData(copy, slot, count * bytes);
    if (p == nullptr) complete = false;
    if (p != nullptr && count > 0) std::memcpy(p, src, count * bytes);
    return p;
  };
  if (!complete) {
    // nothing more to copy
  } else if (holdsArrays(a->classId)) {
    const int slots = pointerSlots(a);
    auto **dst = static_cast<qxArray **>(zeroedBlock(static_cast<size_t>(slots), sizeof(qxArray *)));
    auto *const *src = static_cast<qxArray *const *>(a->pr);
    copy->pr = dst;
    complete = dst != nullptr;
    for (int i = 0; complete && i < slots; ++i) {
      dst[i] = qxDuplicateArray(src[i]);
      complete = src[i] == nullptr || dst[i] != nullptr;
    }
  } else if (a->classId == QX_CLASS_FUNCTION) {
    auto *dst = static_cast<qxFunctionHandleRecord *>(zeroedBlock(n, size));
    const auto *src = static_cast<const qxFunctionHandleRecord *>(a->pr);
    copy->pr = dst;
    complete = dst != nullptr;
    try {
      for (size_t i = 0; complete && i < n; ++i) zqhost::copyFunctionHandle(&dst[i], &src[i]);
    } catch (const zqhost::Error &) {
      complete = false;  // out of memory
    } catch (const std::bad_alloc &) {
      complete = false;
    }
  } else {
    copy->pr = size > 0 ? dup(a->pr, n, size, 0) : nullptr;
    copy->pi = dup(a->pi, n, size, 1);
  }
  if (complete && sparse) {
    copy->ir = static_cast<int *>(dup(a->ir, n, sizeof(int), -1));
    copy->jc = static_cast<int *>(dup(a->jc, static_cast<size_t>(a->dims[1]) + 1, sizeof(int), -1));
  }
  if (!complete) {
    qxDestroyArray(copy);
    return nullptr;
  }
  return copy;
}

// Plain values and containers on the heap are shared, not copied: the copy
// points at the same blocks (for a container, at the same elements) until
// one holder needs its own (zqhost::ownData) or all are destroyed. Anything
// else (tiny storage, sparse arrays, function handles) is duplicated.
qxArray *qxCreateSharedDataCopy(const qxArray *a) {
  if (a == nullptr) return nullptr;
  const bool heapData = a->pr != nullptr && a->pr != &a->tiny[0] && a->pi != &a->tiny[1];
  const bool shareable = holdsPlainValues(a->classId) || holdsArrays(a->classId);
  if (!shareable || !heapData) return qxDuplicateArray(a);
  if (a->share == nullptr) {
    a->share = new (std::nothrow) DataShare{1};
    if (a->share == nullptr) return qxDuplicateArray(a);
    a->reusableBytes = 0;  // the blocks no longer go back to the spares
  }
  qxArray *copy = recordLike(a);
  if (copy == nullptr) return nullptr;
  if (!copyClassAndFields(copy, a)) {
    deleteRecord(copy);
    return nullptr;
  }
  copy->pr = a->pr;
  copy->pi = a->pi;
  copy->share = a->share;
  ++a->share->holders;
  return copy;
}

qxArray *qxCreateEmptyCopy(const qxArray *a) {
  qxArray *copy = newRecord();
  if (copy == nullptr) return nullptr;
  copy->classId = a->classId;
  copy->logical = a->logical;
  if (!copyClassAndFields(copy, a)) {
    deleteRecord(copy);
    return nullptr;
  }
  return copy;
}

qxArray *qxOnes(int m, int n) {
  qxArray *a = qxCreateDoubleMatrix(m, n, 0);
  if (a == nullptr) return nullptr;
  auto *pr = static_cast<double *>(a->pr);
  for (int i = 0, count = a->dims.count(); i < count; ++i) pr[i] = 1.0;
  return a;
}

qxArray *qxCreateColonObj(double start, double step, double stop) {
  int n = 0;
  if (!std::isnan(start) && !std::isnan(step) && !std::isnan(stop) && step != 0 &&
      !((step > 0 && start > stop) || (step < 0 && start < stop))) {
    // A relative tolerance keeps 0:0.1:1 at 11 elements despite rounding.
    const double span = (stop - start) / step;
    const double count = std::floor(span + span * 4 * 2.220446049250313e-16) + 1;
    if (!(count <= static_cast<double>(INT_MAX))) zqhost::raise("Maximum variable size allowed is exceeded.");
    n = static_cast<int>(count);
  }
  qxArray *a = qxCreateDoubleMatrix(1, n, 0);
  if (a == nullptr) return nullptr;
  auto *pr = static_cast<double *>(a->pr);
  for (int k = 0; k < n; ++k) pr[k] = start + k * step;
  // The last element lands on stop exactly when the range reaches it.
  if (n > 0 && std::fabs(pr[n - 1] - stop) < std::fabs(step) * 1e-10) pr[n - 1] = stop;
  return a;
}

// ---- Queries --------------------------------------------------------------

int qxGetClassCode(const qxArray *a) {
  switch (a->classId) {
    case QX_CLASS_DOUBLE: return QX_CODE_DOUBLE;
    case QX_CLASS_SPARSE: return QX_CODE_SPARSE;
    case QX_CLASS_CHAR: return QX_CODE_CHAR;
    case QX_CLASS_CELL: return QX_CODE_CELL;
    case QX_CLASS_STRUCT: return QX_CODE_STRUCT;
    case QX_CLASS_SINGLE: return QX_CODE_SINGLE;
    case QX_CLASS_INT8: return QX_CODE_INT8;
    case QX_CLASS_UINT8: return QX_CODE_UINT8;
    case QX_CLASS_INT16: return QX_CODE_INT16;
    case QX_CLASS_UINT16: return QX_CODE_UINT16;
    case QX_CLASS_INT32: return QX_CODE_INT32;
    case QX_CLASS_UINT32: return QX_CODE_UINT32;
    case QX_CLASS_OPAQUE: return QX_CODE_OPAQUE;
    case QX_CLASS_FUNCTION: return QX_CODE_FUNCTION_HANDLE;
    case QX_CLASS_OBJECT: return QX_CODE_OBJECT;
    default: return QX_CODE_NEVER;
  }
}

int qxGetClassID(const qxArray *a) { return a->classId; }

const char *qxGetClassName(const qxArray *a) {
  if (a->classId == QX_CLASS_OBJECT || a->classId == QX_CLASS_OPAQUE)
    return a->extras ? a->extras->className.c_str() : "";
  if (a->logical) return "logical";
  return zqhost::classNameOf(a->classId);
}

int qxGetM(const qxArray *a) { return a->dims[0]; }

int qxGetN(const qxArray *a) { return elementCount(std::span<const int>(a->dims).subspan(1)); }

int qxGetNumberOfElements(const qxArray *a) { return a->dims.count(); }
int qxGetNumberOfDimensions(const qxArray *a) { return static_cast<int>(a->dims.size()); }
const int *qxGetDimensions(const qxArray *a) { return a->dims.data(); }
size_t qxGetElementSize(const qxArray *a) { return zqhost::elementSizeOf(a->classId); }
int qxIsEmpty(const qxArray *a) { return a->dims.empty(); }
int qxIsLogical(const qxArray *a) { return a->logical; }
int qxIsContainer(const qxArray *a) { return holdsArrays(a->classId); }
int qxIsComplex(const qxArray *a) { return a->pi != nullptr; }
int qxIsChar(const qxArray *a) { return a->classId == QX_CLASS_CHAR; }

int qxIsNumeric(const qxArray *a) {
  return a->classId == QX_CLASS_DOUBLE || a->classId == QX_CLASS_SPARSE ||
         (a->classId >= QX_CLASS_SINGLE && a->classId <= QX_CLASS_UINT32);
}

const char *qxGetName(const qxArray *a) { return a->extras ? a->extras->name.c_str() : ""; }
int qxGetScope(const qxArray *a) { return a->extras ? a->extras->scope : QX_SCOPE_LOCAL; }
double *qxGetPr(const qxArray *a) { return static_cast<double *>(a->pr); }
double *qxGetPi(const qxArray *a) { return static_cast<double *>(a->pi); }
void *qxGetData(const qxArray *a) { return a->pr; }
void *qxGetImagData(const qxArray *a) { return a->pi; }
qxChar *qxGetChars(const qxArray *a) { return static_cast<qxChar *>(a->pr); }
int *qxGetIr(const qxArray *a) { return a->ir; }
int *qxGetJc(const qxArray *a) { return a->jc; }
int qxGetNzmax(const qxArray *a) { return a->nzmax; }

double qxGetScalar(const qxArray *a) {
  if (a == nullptr || a->pr == nullptr || (a->dims.count() == 0 && a->classId != QX_CLASS_SPARSE)) return 0.0;
  // The first element is stored only when the first column holds a
  // nonzero in its first row.
  if (a->classId == QX_CLASS_SPARSE) {
    return a->dims.count() > 0 && a->dims[1] > 0 && a->jc[1] > 0 && a->ir[0] == 0 ? qxGetPr(a)[0] : 0.0;
  }
  if (a->classId == QX_CLASS_DOUBLE) return *static_cast<const double *>(a->pr);
  double value = 0;
  qxConvertBufferToType(&value, QX_CLASS_DOUBLE, a->pr, a->classId, 1);
  return value;
}

qxArray *qxGetCell(const qxArray *a, int index) {
  if (a->classId != QX_CLASS_CELL || index < 0 || index >= a->dims.count()) return nullptr;
  return static_cast<qxArray **>(a->pr)[index];
}

int qxGetNumberOfFields(const qxArray *a) { return fieldCount(a); }

const char *qxGetFieldNameByNumber(const qxArray *a, int field) {
  if (field < 0 || field >= fieldCount(a)) return nullptr;
  return fieldNamesOf(a)[static_cast<size_t>(field)].c_str();
}

int qxGetFieldNumber(const qxArray *a, const char *name) {
  const std::vector<std::string> &fields = fieldNamesOf(a);
  for (size_t f = 0; f < fields.size(); ++f) {
    if (fields[f] == name) return static_cast<int>(f);
  }
  return -1;
}

qxArray *qxGetFieldByNumber(const qxArray *a, int index, int field) {
  if (field < 0 || field >= fieldCount(a) || index < 0 || index >= a->dims.count()) return nullptr;
  return static_cast<qxArray **>(a->pr)[index * fieldCount(a) + field];
}

// ---- Text -----------------------------------------------------------------

char *qxArray2String(const qxArray *a, int) {
  if (a == nullptr || a->classId != QX_CLASS_CHAR) return nullptr;
  const int n = a->dims.count();
  auto *text = static_cast<char *>(hostMalloc(static_cast<size_t>(n) + 1));
  if (text == nullptr) return nullptr;
  const auto *codes = static_cast<const qxChar *>(a->pr);
  for (int i = 0; i < n; ++i) text[i] = static_cast<char>(codes[i] & 0xff);
  text[n] = '\0';
  return text;
}

char *qxArrayToString(const qxArray *a) { return qxArray2String(a, 0); }

int qxGetString(const qxArray *a, char *buf, int size) {
  if (size <= 0) return 1;
  buf[0] = '\0';
  if (a == nullptr || a->classId != QX_CLASS_CHAR) return 1;
  const int n = a->dims.count();
  const int copied = n < size - 1 ? n : size - 1;
  const auto *codes = static_cast<const qxChar *>(a->pr);
  for (int i = 0; i < copied; ++i) buf[i] = static_cast<char>(codes[i] & 0xff);
  buf[copied] = '\0';
  return copied < n ? 1 : 0;
}

// ---- Changes --------------------------------------------------------------

// Holders of shared element pointers count their elements by their own
// dimensions, so a container whose dimensions change takes its own first.
void qxSetM(qxArray *a, int m) {
  if (holdsArrays(a->classId)) zqhost::ownData(a);
  a->dims[0] = m < 0 ? 0 : m;
}

void qxSetN(qxArray *a, int n) {
  if (holdsArrays(a->classId)) zqhost::ownData(a);
  a->dims.shrink(2);
  a->dims[1] = n < 0 ? 0 : n;
}

int qxSetDimensions(qxArray *a, const int *dims, int ndims) {
  if (holdsArrays(a->classId)) zqhost::ownData(a);
  setNormalised(a, std::span<const int>(dims, static_cast<size_t>(ndims)));
  return 0;
}

// The caller's block replaces pr (the old one is the caller's to free). The
// data of a shared copy is read-only: an array that shares it first gets
// its own copy, so other holders never see the change.
void qxSetData(qxArray *a, void *data) {
  zqhost::ownData(a);
  a->pr = data;
  a->reusableBytes = 0;
}

void qxSetPr(qxArray *a, double *pr) { qxSetData(a, pr); }
void qxSetPi(qxArray *a, double *pi) { qxSetImagData(a, pi); }

void qxSetImagData(qxArray *a, void *pi) {
  zqhost::ownData(a);
  a->pi = pi;
}

void qxFreeImagIfZero(qxArray *a) {
  if (a->pi == nullptr) return;
  zqhost::ownData(a);
  const size_t bytes = static_cast<size_t>(a->dims.count()) * zqhost::elementSizeOf(a->classId);
  const auto *p = static_cast<const unsigned char *>(a->pi);
  if (a->classId == QX_CLASS_DOUBLE || a->classId == QX_CLASS_SINGLE) {
    // -0.0 is zero too: compare values, not bytes.
    const int n = a->dims.count();
    for (int i = 0; i < n; ++i) {
      const double v = a->classId == QX_CLASS_DOUBLE ? static_cast<double *>(a->pi)[i] : static_cast<float *>(a->pi)[i];
      if (v != 0) return;
    }
  } else {
    for (size_t i = 0; i < bytes; ++i) {
      if (p[i] != 0) return;
    }
  }
  freeData(a, a->pi);
  a->pi = nullptr;
}

void qxSetName(qxArray *a, const char *name) {
  if (name == nullptr || *name == '\0') {
    if (a->extras) a->extras->name.clear();
  } else {
    a->more().name = name;
  }
}

void qxSetScope(qxArray *a, int scope) {
  if (a->extras || scope != QX_SCOPE_LOCAL) a->more().scope = scope;
}
void qxSetLogical(qxArray *a, int flag) { a->logical = flag != 0; }

void qxSetCell(qxArray *a, int index, qxArray *value) {
  if (a->classId != QX_CLASS_CELL || index < 0 || index >= a->dims.count()) return;
  ownOrDestroy(a, value);
  auto **slot = &static_cast<qxArray **>(a->pr)[index];
  if (*slot != value) qxDestroyArray(*slot);
  *slot = value;
}

void qxSetFieldByNumber(qxArray *a, int index, int field, qxArray *value) {
  if (field < 0 || field >= fieldCount(a) || index < 0 || index >= a->dims.count()) return;
  ownOrDestroy(a, value);
  auto **slot = &static_cast<qxArray **>(a->pr)[index * fieldCount(a) + field];
  if (*slot != value) qxDestroyArray(*slot);
  *slot = value;
}

int qxAddField(qxArray *a, const char *name) {
  const int existing = qxGetFieldNumber(a, name);
  if (existing >= 0) return existing;
  zqhost::ownData(a);
  const int n = a->dims.count();
  const int oldFields = fieldCount(a);
  const int newFields = oldFields + 1;
  // The name gets its room first: once the block is replaced nothing may
  // fail.
  std::string fieldName;
  try {
    fieldName = name;
    a->more().fieldNames.reserve(static_cast<size_t>(newFields));
  } catch (const std::bad_alloc &) {
    return -1;
  }
  auto **grown =
      static_cast<qxArray **>(zeroedBlock(static_cast<size_t>(n) * static_cast<size_t>(newFields), sizeof(qxArray *)));
  if (grown == nullptr) return -1;
  auto **old = static_cast<qxArray **>(a->pr);
  for (int i = 0; i < n; ++i) {
    for (int f = 0; f < oldFields; ++f) grown[i * newFields + f] = old[i * oldFields + f];
  }
  releasePr(a);
  a->pr = grown;
  a->extras->fieldNames.push_back(std::move(fieldName));
  return oldFields;
}

void qxDestroyArray(qxArray *a) {
  if (a == nullptr) return;
  releaseData(a);
  deleteRecord(a);
  if (deferred.draining || deferred.arrays.empty()) return;
  // The containers held by a (and by them, in turn) are destroyed here.
  deferred.draining = true;
  while (!deferred.arrays.empty()) {
    qxArray *e = deferred.arrays.back();
    deferred.arrays.pop_back();
    releaseData(e);
    deleteRecord(e);
  }
  deferred.draining = false;
}

}  // extern "C"
