// Conversion of element buffers and arrays between the numeric and char
// classes: rounding to nearest, saturation and NaN to 0 for the integers.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "array_impl.h"
#include "zqhost/host.h"

namespace {

double readElement(const void *src, int classId, int i) {
  switch (classId) {
    case QX_CLASS_DOUBLE:
    case QX_CLASS_SPARSE: return static_cast<const double *>(src)[i];
    case QX_CLASS_SINGLE: return static_cast<const float *>(src)[i];
    case QX_CLASS_INT8: return static_cast<const int8_t *>(src)[i];
    case QX_CLASS_UINT8: return static_cast<const uint8_t *>(src)[i];
    case QX_CLASS_INT16: return static_cast<const int16_t *>(src)[i];
    case QX_CLASS_UINT16:
    case QX_CLASS_CHAR: return static_cast<const uint16_t *>(src)[i];
    case QX_CLASS_INT32: return static_cast<const int32_t *>(src)[i];
    case QX_CLASS_UINT32: return static_cast<const uint32_t *>(src)[i];
    default: return 0.0;
  }
}

// Rounds half away from zero and saturates to T's range; NaN gives 0.
template <typename T>
T toInteger(double v) {
  if (std::isnan(v)) return 0;
  v = std::round(v);
  if (v <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
  if (v >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  return static_cast<T>(v);
}

// Character codes keep the whole part of a value, within 0..65535.
uint16_t toCharCode(double v) {
  if (std::isnan(v) || v <= 0) return 0;
  if (v >= 65535.0) return 65535;
  return static_cast<uint16_t>(v);
}

template <typename D, typename S, typename F>
void convertLoop(void *dst, const void *src, int n, F convert) {
  auto *d = static_cast<D *>(dst);
  const auto *s = static_cast<const S *>(src);
  for (int i = 0; i < n; ++i) d[i] = convert(s[i]);
}

// A fast path for the common double-to-class and class-to-double cases;
// the general path goes through a double.
template <typename D>
void fromAny(void *dst, const void *src, int srcClass, int n, D (*convert)(double)) {
  if (srcClass == QX_CLASS_DOUBLE || srcClass == QX_CLASS_SPARSE) {
    convertLoop<D, double>(dst, src, n, convert);
    return;
  }
  auto *d = static_cast<D *>(dst);
  for (int i = 0; i < n; ++i) d[i] = convert(readElement(src, srcClass, i));
}

}  // namespace

extern "C" {

void qxConvertBufferToType(void *dst, int dstClass, const void *src, int srcClass, int n) {
  if (n <= 0) return;
  if (dstClass == srcClass || (dstClass == QX_CLASS_DOUBLE && srcClass == QX_CLASS_SPARSE)) {
    std::memmove(dst, src, static_cast<size_t>(n) * zqhost::elementSizeOf(dstClass));
    return;
  }
  switch (dstClass) {
    case QX_CLASS_DOUBLE:
    case QX_CLASS_SPARSE: {
      auto *d = static_cast<double *>(dst);
      switch (srcClass) {
        case QX_CLASS_UINT8: convertLoop<double, uint8_t>(dst, src, n, [](uint8_t v) { return double(v); }); break;
        case QX_CLASS_INT16: convertLoop<double, int16_t>(dst, src, n, [](int16_t v) { return double(v); }); break;
        case QX_CLASS_SINGLE: convertLoop<double, float>(dst, src, n, [](float v) { return double(v); }); break;
        default:
          for (int i = 0; i < n; ++i) d[i] = readElement(src, srcClass, i);
      }
      return;
    }
    case QX_CLASS_SINGLE: fromAny<float>(dst, src, srcClass, n, [](double v) { return static_cast<float>(v); }); return;
    case QX_CLASS_INT8: fromAny<int8_t>(dst, src, srcClass, n, toInteger<int8_t>); return;
    case QX_CLASS_UINT8: fromAny<uint8_t>(dst, src, srcClass, n, toInteger<uint8_t>); return;
    case QX_CLASS_INT16: fromAny<int16_t>(dst, src, srcClass, n, toInteger<int16_t>); return;
    case QX_CLASS_UINT16: fromAny<uint16_t>(dst, src, srcClass, n, toInteger<uint16_t>); return;
    case QX_CLASS_INT32: fromAny<int32_t>(dst, src, srcClass, n, toInteger<int32_t>); return;
    case QX_CLASS_UINT32: fromAny<uint32_t>(dst, src, srcClass, n, toInteger<uint32_t>); return;
    case QX_CLASS_CHAR: fromAny<uint16_t>(dst, src, srcClass, n, toCharCode); return;
    default: return;
  }
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
