// Creation, queries and changes of host arrays.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <span>

#include "array_impl.h"
#include "zqhost/host.h"

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
  switch (classId) {
    case QX_CLASS_DOUBLE:
    case QX_CLASS_SPARSE: return sizeof(double);
    case QX_CLASS_SINGLE:
    case QX_CLASS_INT32:
    case QX_CLASS_UINT32: return 4;
    case QX_CLASS_INT16:
    case QX_CLASS_UINT16:
    case QX_CLASS_CHAR: return 2;
    case QX_CLASS_INT8:
    case QX_CLASS_UINT8: return 1;
    case QX_CLASS_CELL:
    case QX_CLASS_STRUCT:
    case QX_CLASS_OBJECT: return sizeof(qxArray *);
    case QX_CLASS_FUNCTION: return sizeof(qxFunctionHandleRecord);
    default: return 0;
  }
}

int elementCount(std::span<const int> dims) {
  long long n = 1;
  for (int d : dims) {
    n *= d < 0 ? 0 : d;
    if (n > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(n);
}

namespace {

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
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kSpares = 0;
#else
constexpr size_t kSpares = 64;
#endif

struct SpareRecords {
  void *slots[kSpares + 1] = {};  // one more: no zero-length array
  size_t count = 0;
  ~SpareRecords() {
    while (count > 0) ::operator delete(slots[--count]);
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
void *smallBlock(size_t bytes, size_t *capacity) {
  if (spareBlocks.count > 0 && spareBlocks.slots[spareBlocks.count - 1].bytes >= bytes) {
    const SpareBlocks::Block spare = spareBlocks.slots[--spareBlocks.count];
    *capacity = spare.bytes;
    return spare.data;
  }
  *capacity = bytes;
  return std::malloc(bytes);
}

// Zeroed storage for count elements of size bytes (at least one byte).
// Small blocks are cleared by hand: calloc bypasses the allocator's
// per-thread cache, which makes it several times slower than malloc for the
// short rows and vectors most arrays hold. The empty asm statement keeps the
// compiler from fusing malloc and memset back into calloc. *capacity, when
// given, gets the size of a small block and 0 for a large one.
void *zeroedBlock(size_t count, size_t size, size_t *capacity = nullptr) {
  count = count == 0 ? 1 : count;
  size = size == 0 ? 1 : size;
  size_t bytes = 0;
  if (count > kSmallBlock / size) {
    if (capacity != nullptr) *capacity = 0;
    return std::calloc(count, size);
  }
  void *block = smallBlock(count * size, capacity != nullptr ? capacity : &bytes);
  if (block == nullptr) return nullptr;
#if defined(__GNUC__)
  asm volatile("" : : "r"(block) : "memory");
#endif
  return std::memset(block, 0, count * size);
}

// Zeroed storage for count elements of size bytes in a's tiny slot (0 for
// pr, 1 for pi) when they fit in it, else on the heap. A small heap block
// for pr is marked for reuse. An empty array gets a heap block: callers may
// replace its data with qxSetData and free the old block with qxFree.
void *zeroedData(qxArray *a, int slot, size_t count, size_t size) {
  if (size > 0 && count > 0 && count <= sizeof a->tiny[0] / size) {
    a->tiny[slot] = 0;
    return &a->tiny[slot];
  }
  return zeroedBlock(count, size, slot == 0 ? &a->reusableBytes : nullptr);
}

// Frees data block p of a unless it is the record's own tiny storage.
void freeData(qxArray *a, void *p) {
  if (p != nullptr && p != &a->tiny[0] && p != &a->tiny[1]) std::free(p);
}

// Releases pr: a small block the host allocated goes to the spare blocks
// while there is room, anything else is freed.
void releasePr(qxArray *a) {
  if (a->reusableBytes > 0 && a->pr != nullptr && spareBlocks.count < kSpares) {
    spareBlocks.slots[spareBlocks.count++] = {a->pr, a->reusableBytes};
  } else {
    freeData(a, a->pr);
  }
  a->reusableBytes = 0;
}

void *recordStorage() {
  if (spares.count > 0) return spares.slots[--spares.count];
  return ::operator new(sizeof(qxArray_tag), std::nothrow);
}

// A new record: default, or a copy of another (its data pointers included).
template <typename... From>
qxArray *newRecord(const From &...from) {
  void *storage = recordStorage();
  if (storage == nullptr) return nullptr;
  try {
    return new (storage) qxArray_tag(from...);
  } catch (...) {
    ::operator delete(storage);
    return nullptr;
  }
}

void deleteRecord(qxArray *a) {
  a->~qxArray_tag();
  if (spares.count < kSpares) {
    spares.slots[spares.count++] = a;
  } else {
    ::operator delete(a);
  }
}

int fieldCount(const qxArray *a) { return static_cast<int>(a->fieldNames.size()); }

bool holdsArrays(int classId) {
  return classId == QX_CLASS_CELL || classId == QX_CLASS_STRUCT || classId == QX_CLASS_OBJECT;
}

// Slots of element pointers: one per cell, nfields per structure element.
int pointerSlots(const qxArray *a) {
  const int n = a->dims.count();
  return a->classId == QX_CLASS_CELL ? n : n * fieldCount(a);
}

void releaseData(qxArray *a) {
  if (holdsArrays(a->classId) && a->pr != nullptr) {
    auto **elements = static_cast<qxArray **>(a->pr);
    for (int i = 0, n = pointerSlots(a); i < n; ++i) qxDestroyArray(elements[i]);
  }
  if (a->classId == QX_CLASS_FUNCTION && a->pr != nullptr) {
    auto *records = static_cast<qxFunctionHandleRecord *>(a->pr);
    for (int i = 0, n = a->dims.count(); i < n; ++i) std::free(records[i].text);
  }
  releasePr(a);
  freeData(a, a->pi);
  if (a->ir != nullptr) std::free(a->ir);
  if (a->jc != nullptr) std::free(a->jc);
  a->pr = a->pi = nullptr;
  a->ir = a->jc = nullptr;
}

}  // namespace

qxArray *newArray(int classId, std::span<const int> dims, bool complex) {
  qxArray *a = newRecord();
  if (a == nullptr) return nullptr;
  a->classId = classId;
  setNormalised(a, dims);
  const size_t n = static_cast<size_t>(a->dims.count());
  const size_t size = elementSizeOf(classId);
  if (size > 0) {
    a->pr = zeroedData(a, 0, n, size);
    if (complex) a->pi = zeroedData(a, 1, n, size);
    if (a->pr == nullptr || (complex && a->pi == nullptr)) {
      releaseData(a);
      deleteRecord(a);
      return nullptr;
    }
  }
  return a;
}

namespace {

qxArray *newMatrix(int classId, int m, int n, bool complex) {
  const int dims[2] = {m, n};
  return newArray(classId, dims, complex);
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
  qxArray *a = newMatrix(QX_CLASS_DOUBLE, 1, 1, false);
  if (a != nullptr) *static_cast<double *>(a->pr) = value;
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
  a->pr = std::calloc(static_cast<size_t>(nzmax), sizeof(double));
  if (complexFlag) a->pi = std::calloc(static_cast<size_t>(nzmax), sizeof(double));
  a->ir = static_cast<int *>(std::calloc(static_cast<size_t>(nzmax), sizeof(int)));
  a->jc = static_cast<int *>(std::calloc(static_cast<size_t>(a->dims[1]) + 1, sizeof(int)));
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
  a->dims = ndims >= 2 ? std::span<const int>(dims, static_cast<size_t>(ndims)) : std::span<const int>(padded, 2);
  for (int f = 0; f < nfields; ++f) a->fieldNames.emplace_back(names[f]);
  const size_t slots = static_cast<size_t>(a->dims.count()) * static_cast<size_t>(nfields);
  a->pr = std::calloc(slots == 0 ? 1 : slots, sizeof(qxArray *));
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
  fieldsStruct->className = className;
  return fieldsStruct;
}

qxArray *qxCreateOpaque(const char *className, int ndims, const int *dims) {
  qxArray *a = newArray(QX_CLASS_OPAQUE, std::span<const int>(dims, static_cast<size_t>(ndims)), false);
  if (a != nullptr) a->className = className;
  return a;
}

qxArray *qxDuplicateArray(const qxArray *a) {
  if (a == nullptr) return nullptr;
  qxArray *copy = newRecord(*a);
  if (copy == nullptr) return nullptr;
  copy->pr = copy->pi = nullptr;
  copy->reusableBytes = 0;
  copy->ir = copy->jc = nullptr;
  copy->name.clear();
  copy->scope = QX_SCOPE_LOCAL;
  const bool sparse = a->classId == QX_CLASS_SPARSE;
  const size_t n = sparse ? static_cast<size_t>(a->nzmax) : static_cast<size_t>(a->dims.count());
  const size_t size = zqhost::elementSizeOf(a->classId);
  // Copies a block; values (slot 0 or 1) may go to the tiny storage, index
  // vectors (slot -1) always go to the heap.
  auto dup = [&](const void *src, size_t count, size_t bytes, int slot) -> void * {
    if (src == nullptr) return nullptr;
    void *p = slot < 0 ? zeroedBlock(count, bytes) : zeroedData(copy, slot, count, bytes);
    if (p != nullptr && count > 0) std::memcpy(p, src, count * bytes);
    return p;
  };
  if (holdsArrays(a->classId)) {
    const int slots = pointerSlots(a);
    auto **dst = static_cast<qxArray **>(zeroedBlock(static_cast<size_t>(slots), sizeof(qxArray *)));
    auto *const *src = static_cast<qxArray *const *>(a->pr);
    for (int i = 0; dst != nullptr && i < slots; ++i) dst[i] = qxDuplicateArray(src[i]);
    copy->pr = dst;
  } else if (a->classId == QX_CLASS_FUNCTION) {
    auto *dst = static_cast<qxFunctionHandleRecord *>(zeroedBlock(n, size));
    const auto *src = static_cast<const qxFunctionHandleRecord *>(a->pr);
    for (size_t i = 0; dst != nullptr && i < n; ++i) dst[i].text = src[i].text ? strdup(src[i].text) : nullptr;
    copy->pr = dst;
  } else {
    copy->pr = size > 0 ? dup(a->pr, n, size, 0) : nullptr;
    copy->pi = dup(a->pi, n, size, 1);
  }
  if (sparse) {
    copy->ir = static_cast<int *>(dup(a->ir, n, sizeof(int), -1));
    copy->jc = static_cast<int *>(dup(a->jc, static_cast<size_t>(a->dims[1]) + 1, sizeof(int), -1));
  }
  return copy;
}

qxArray *qxCreateSharedDataCopy(const qxArray *a) { return qxDuplicateArray(a); }

qxArray *qxCreateEmptyCopy(const qxArray *a) {
  qxArray *copy = newRecord();
  if (copy == nullptr) return nullptr;
  copy->classId = a->classId;
  copy->logical = a->logical;
  copy->className = a->className;
  copy->fieldNames = a->fieldNames;
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
  if (a->classId == QX_CLASS_OBJECT || a->classId == QX_CLASS_OPAQUE) return a->className.c_str();
  if (a->logical) return "logical";
  return zqhost::classNameOf(a->classId);
}

int qxGetM(const qxArray *a) { return a->dims[0]; }

int qxGetN(const qxArray *a) { return elementCount(std::span<const int>(a->dims).subspan(1)); }

int qxGetNumberOfElements(const qxArray *a) { return a->dims.count(); }
int qxGetNumberOfDimensions(const qxArray *a) { return static_cast<int>(a->dims.size()); }
const int *qxGetDimensions(const qxArray *a) { return a->dims.data(); }
size_t qxGetElementSize(const qxArray *a) { return zqhost::elementSizeOf(a->classId); }
int qxIsEmpty(const qxArray *a) { return a->dims.count() == 0; }
int qxIsLogical(const qxArray *a) { return a->logical; }
int qxIsContainer(const qxArray *a) { return holdsArrays(a->classId); }
int qxIsComplex(const qxArray *a) { return a->pi != nullptr; }
int qxIsChar(const qxArray *a) { return a->classId == QX_CLASS_CHAR; }

int qxIsNumeric(const qxArray *a) {
  return a->classId == QX_CLASS_DOUBLE || a->classId == QX_CLASS_SPARSE ||
         (a->classId >= QX_CLASS_SINGLE && a->classId <= QX_CLASS_UINT32);
}

const char *qxGetName(const qxArray *a) { return a->name.c_str(); }
int qxGetScope(const qxArray *a) { return a->scope; }
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
  if (a->classId == QX_CLASS_SPARSE) return a->jc[a->dims[1]] > 0 && a->ir[0] == 0 ? qxGetPr(a)[0] : 0.0;
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
  return a->fieldNames[static_cast<size_t>(field)].c_str();
}

int qxGetFieldNumber(const qxArray *a, const char *name) {
  for (int f = 0; f < fieldCount(a); ++f) {
    if (a->fieldNames[static_cast<size_t>(f)] == name) return f;
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
  auto *text = static_cast<char *>(std::malloc(static_cast<size_t>(n) + 1));
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

void qxSetM(qxArray *a, int m) { a->dims[0] = m < 0 ? 0 : m; }

void qxSetN(qxArray *a, int n) {
  a->dims.shrink(2);
  a->dims[1] = n < 0 ? 0 : n;
}

int qxSetDimensions(qxArray *a, const int *dims, int ndims) {
  setNormalised(a, std::span<const int>(dims, static_cast<size_t>(ndims)));
  return 0;
}

// The caller's block replaces pr (the old one is the caller's to free).
void qxSetData(qxArray *a, void *data) {
  a->pr = data;
  a->reusableBytes = 0;
}

void qxSetPr(qxArray *a, double *pr) { qxSetData(a, pr); }
void qxSetPi(qxArray *a, double *pi) { a->pi = pi; }
void qxSetImagData(qxArray *a, void *pi) { a->pi = pi; }

void qxFreeImagIfZero(qxArray *a) {
  if (a->pi == nullptr) return;
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

void qxSetName(qxArray *a, const char *name) { a->name = name == nullptr ? "" : name; }
void qxSetScope(qxArray *a, int scope) { a->scope = scope; }
void qxSetLogical(qxArray *a, int flag) { a->logical = flag != 0; }

void qxSetCell(qxArray *a, int index, qxArray *value) {
  if (a->classId != QX_CLASS_CELL || index < 0 || index >= a->dims.count()) return;
  auto **slot = &static_cast<qxArray **>(a->pr)[index];
  if (*slot != value) qxDestroyArray(*slot);
  *slot = value;
}

void qxSetFieldByNumber(qxArray *a, int index, int field, qxArray *value) {
  if (field < 0 || field >= fieldCount(a) || index < 0 || index >= a->dims.count()) return;
  auto **slot = &static_cast<qxArray **>(a->pr)[index * fieldCount(a) + field];
  if (*slot != value) qxDestroyArray(*slot);
  *slot = value;
}

int qxAddField(qxArray *a, const char *name) {
  const int existing = qxGetFieldNumber(a, name);
  if (existing >= 0) return existing;
  const int n = a->dims.count();
  const int oldFields = fieldCount(a);
  const int newFields = oldFields + 1;
  auto **grown =
      static_cast<qxArray **>(zeroedBlock(static_cast<size_t>(n) * static_cast<size_t>(newFields), sizeof(qxArray *)));
  if (grown == nullptr) return -1;
  auto **old = static_cast<qxArray **>(a->pr);
  for (int i = 0; i < n; ++i) {
    for (int f = 0; f < oldFields; ++f) grown[i * newFields + f] = old[i * oldFields + f];
  }
  releasePr(a);
  a->pr = grown;
  a->fieldNames.emplace_back(name);
  return oldFields;
}

void qxDestroyArray(qxArray *a) {
  if (a == nullptr) return;
  releaseData(a);
  deleteRecord(a);
}

}  // extern "C"
