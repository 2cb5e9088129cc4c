// Conversion of element buffers and arrays between the numeric and char
// classes: rounding half away from zero, saturation and NaN to 0 for the
// integers, the nearest value for single, the whole part for characters.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "array_impl.h"
#include "zqhost/host.h"
#include "zqhost/rounding.h"

namespace {

// Character codes keep the whole part of a value, within 0..65535.
uint16_t toCharCode(double v) {
  if (std::isnan(v) || v <= 0) return 0;
  if (v >= 65535.0) return 65535;
  return static_cast<uint16_t>(v);
}

// The element type of each class whose data converts, and how a double
// becomes one: as it is, to the nearest single, by the integer rule, or as
// a character code. Sparse data are doubles.
template <int ClassId>
struct Element;
template <>
struct Element<QX_CLASS_DOUBLE> {
  using Type = double;
  static double from(double v) { return v; }
};
template <>
struct Element<QX_CLASS_SPARSE> : Element<QX_CLASS_DOUBLE> {};
template <>
struct Element<QX_CLASS_SINGLE> {
  using Type = float;
  static float from(double v) { return static_cast<float>(v); }
};
template <>
struct Element<QX_CLASS_CHAR> {
  using Type = uint16_t;
  static uint16_t from(double v) { return toCharCode(v); }
};
template <typename T>
struct IntegerElement {
  using Type = T;
  static T from(double v) { return zqhost::roundSaturated<T>(v); }
};
template <>
struct Element<QX_CLASS_INT8> : IntegerElement<int8_t> {};
template <>
struct Element<QX_CLASS_UINT8> : IntegerElement<uint8_t> {};
template <>
struct Element<QX_CLASS_INT16> : IntegerElement<int16_t> {};
template <>
struct Element<QX_CLASS_UINT16> : IntegerElement<uint16_t> {};
template <>
struct Element<QX_CLASS_INT32> : IntegerElement<int32_t> {};
template <>
struct Element<QX_CLASS_UINT32> : IntegerElement<uint32_t> {};

#if !defined(__clang__)  // GCC's; clang vectorises these loops at -O2 by itself
#pragma GCC push_options
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic")
#endif

// n elements of class Src to class Dst, each through a double (which holds
// every value of every class exactly).
template <int Dst, int Src>
void convertElements(void *dst, const void *src, int n) {
  auto *d = static_cast<typename Element<Dst>::Type *>(dst);
  const auto *s = static_cast<const typename Element<Src>::Type *>(src);
  for (int i = 0; i < n; ++i) d[i] = Element<Dst>::from(static_cast<double>(s[i]));
}

#if !defined(__clang__)
#pragma GCC pop_options
#endif

// The classes with convertible data are the identifiers kFirst..kLast.
constexpr int kFirst = QX_CLASS_CHAR;
constexpr int kLast = QX_CLASS_UINT32;
constexpr int kCount = kLast - kFirst + 1;
static_assert(QX_CLASS_CHAR == 4 && QX_CLASS_SPARSE == 5 && QX_CLASS_DOUBLE == 6 && QX_CLASS_UINT32 == 13);

using Converter = void (*)(void *, const void *, int);

template <int Dst, int... Src>
constexpr std::array<Converter, kCount> rowOf(std::integer_sequence<int, Src...>) {
  return {convertElements<Dst, kFirst + Src>...};
}

template <int... Dst>
constexpr std::array<std::array<Converter, kCount>, kCount> tableOf(std::integer_sequence<int, Dst...>) {
  return {rowOf<kFirst + Dst>(std::make_integer_sequence<int, kCount>())...};
}

// kConverters[dst - kFirst][src - kFirst].
constexpr auto kConverters = tableOf(std::make_integer_sequence<int, kCount>());

bool converts(int classId) { return classId >= kFirst && classId <= kLast; }

}  // namespace

extern "C" {

void qxConvertBufferToType(void *dst, int dstClass, const void *src, int srcClass, int n) {
  if (n <= 0 || !converts(dstClass) || !converts(srcClass)) return;
  if (dstClass == srcClass) {
    std::memmove(dst, src, static_cast<size_t>(n) * zqhost::elementSizeOf(dstClass));
    return;
  }
  kConverters[static_cast<size_t>(dstClass - kFirst)][static_cast<size_t>(srcClass - kFirst)](dst, src, n);
}

qxArray *qxCreateConvertedCopy(const qxArray *a, int classId) {
  const bool numericTarget = classId == QX_CLASS_CHAR || classId == QX_CLASS_DOUBLE ||
                             (classId >= QX_CLASS_SINGLE && classId <= QX_CLASS_UINT32);
  const bool numericSource = a->classId == QX_CLASS_CHAR || qxIsNumeric(a);
  if (!numericTarget || !numericSource) {
    zqhost::raise(std::string("Conversion to ") + zqhost::classNameOf(classId) + " from " + qxGetClassName(a) +
                  " is not possible.");
  }
  if (a->classId == QX_CLASS_SPARSE) {
    // Sparse to full first, then to the class asked for.
    qxArray *full = zqhost::newArray(QX_CLASS_DOUBLE, a->dims, a->pi != nullptr);
    if (full == nullptr) return nullptr;
    const int m = a->dims[0];
    for (int j = 0; j < a->dims[1]; ++j) {
      for (int k = a->jc[j]; k < a->jc[j + 1]; ++k) {
        static_cast<double *>(full->pr)[j * m + a->ir[k]] = static_cast<double *>(a->pr)[k];
        if (a->pi) static_cast<double *>(full->pi)[j * m + a->ir[k]] = static_cast<double *>(a->pi)[k];
      }
    }
    if (classId == QX_CLASS_DOUBLE) return full;
    qxArray *converted = qxCreateConvertedCopy(full, classId);
    qxDestroyArray(full);
    return converted;
  }
  // Complex values keep their imaginary part only in the floating classes.
  const bool complex = a->pi != nullptr && (classId == QX_CLASS_DOUBLE || classId == QX_CLASS_SINGLE);
  qxArray *copy = zqhost::newArray(classId, a->dims, complex);
  if (copy == nullptr) return nullptr;
  const int n = a->dims.count();
  qxConvertBufferToType(copy->pr, classId, a->pr, a->classId, n);
  if (complex) qxConvertBufferToType(copy->pi, classId, a->pi, a->classId, n);
  copy->logical = classId == QX_CLASS_DOUBLE && a->logical && a->classId == QX_CLASS_DOUBLE;
  return copy;
}

qxArray *qxMustBe(qxArray *a, int classId) {
  if (a == nullptr || a->classId == classId) return a;
  return qxCreateConvertedCopy(a, classId);
}

}  // extern "C"
