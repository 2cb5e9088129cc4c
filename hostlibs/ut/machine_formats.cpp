// libut: the machine formats of binary data and the conversions between
// them and native doubles.
//
// A value travels in an 8-byte slot: its file image (utDconvertSize bytes)
// at the start of the slot, or a native double filling it. Integers and IEEE
// values only change byte order and width. VAX F/D/G and Cray values are
// converted as numbers:
//   - every value the target can hold converts exactly; VAX D to double and
//     double to VAX F or Cray round to nearest, ties to even;
//   - a finite value beyond the target's range saturates to its largest
//     finite value with the sign kept; a nonzero value below the smallest
//     normal VAX number becomes 0;
//   - VAX has no infinities: +-Inf become the largest VAX value with the
//     sign, and NaN becomes the reserved operand (sign 1, exponent 0), which
//     reads back as NaN;
//   - Cray words with an exponent of 0x6000 or more are out of range: they
//     read as NaN when bit 46 is set and as +-Inf otherwise. NaN is written
//     as exponent 0x6000 with bits 47 and 46 set, +-Inf as exponent 0x6000
//     with bit 47 set. Cray values beyond the range of a double read as the
//     largest double with the sign.
// Integers written from doubles are rounded half away from zero, saturate
// at the type's limits, and NaN writes 0.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <type_traits>

#include "host/ut.h"
#include "zqhost/rounding.h"

namespace {

enum class Real : uint8_t { Ieee, VaxF, VaxD, VaxG, Cray };

struct MachineFormat {
  const char *name;
  int bigEndian;  // byte-order code: 1 when the most significant byte comes first
  int longBytes;
  Real single;
  Real dbl;
};

constexpr MachineFormat kFormats[] = {
    {"ieee-le", 0, 4, Real::Ieee, Real::Ieee},     {"ieee-be", 1, 4, Real::Ieee, Real::Ieee},
    {"vaxd", 0, 4, Real::VaxF, Real::VaxD},        {"vaxg", 0, 4, Real::VaxF, Real::VaxG},
    {"cray", 1, 4, Real::Cray, Real::Cray},        {"ieee-le.l64", 0, 8, Real::Ieee, Real::Ieee},
    {"ieee-be.l64", 1, 8, Real::Ieee, Real::Ieee},
};
constexpr int kFormatCount = static_cast<int>(std::size(kFormats));
constexpr bool kNativeBigEndian = std::endian::native == std::endian::big;

const MachineFormat *formatAt(int format) { return format >= 0 && format < kFormatCount ? &kFormats[format] : nullptr; }

// The precision types: integer width (0 for the floating types, whose size
// depends on the format) and signedness. "long" takes the format's width.
struct TypeInfo {
  int bytes;
  bool isSigned;
};
constexpr TypeInfo kTypes[] = {
    {0, false},                                                   // unused code 0
    {1, false}, {1, true},  {2, true},  {4, true},   {-1, true},  // char schar short int long
    {1, false}, {2, false}, {4, false}, {-1, false},              // uchar ushort uint ulong
    {0, true},  {0, true},                                        // float double
};
constexpr int kTypeCount = static_cast<int>(std::size(kTypes));

// ---- VAX and Cray floating point ------------------------------------------
// Each is "sign, biased exponent e, mantissa M of mantissaBits bits" with the
// value 0.M x 2^(e - bias) (M read as a fraction in [0.5, 1)); VAX formats do
// not store the leading 1 of M.
struct FloatLayout {
  int mantissaBits;  // with the leading bit
  int exponentBits;
  int bias;
  bool hiddenBit;
  int width;  // bits of the logical word
};
constexpr FloatLayout kVaxF{24, 8, 128, true, 32};
constexpr FloatLayout kVaxD{56, 8, 128, true, 64};
constexpr FloatLayout kVaxG{53, 11, 1024, true, 64};
constexpr FloatLayout kCray{48, 15, 16384, false, 64};

constexpr uint64_t lowBits(int n) { return n >= 64 ? ~uint64_t{0} : (uint64_t{1} << n) - 1; }
constexpr int kCrayOutOfRange = 0x6000;

constexpr int storedBits(const FloatLayout &l) { return l.mantissaBits - (l.hiddenBit ? 1 : 0); }

uint64_t pack(const FloatLayout &l, bool negative, uint64_t exponent, uint64_t mantissa) {
  const int stored = storedBits(l);
  return (negative ? uint64_t{1} << (l.width - 1) : 0) | (exponent << stored) | (mantissa & lowBits(stored));
}

uint64_t largestValue(const FloatLayout &l, bool negative) {
  return pack(l, negative, lowBits(l.exponentBits), lowBits(l.mantissaBits));
}

// Logical word of a double, by the rules in the file comment.
uint64_t encodeReal(const FloatLayout &l, double x) {
  const bool cray = !l.hiddenBit;
  const bool negative = std::signbit(x);
  if (std::isnan(x)) return cray ? pack(l, false, kCrayOutOfRange, uint64_t{3} << 46) : uint64_t{1} << (l.width - 1);
  if (std::isinf(x)) return cray ? pack(l, negative, kCrayOutOfRange, uint64_t{1} << 47) : largestValue(l, negative);
  if (x == 0) return cray ? pack(l, negative, 0, 0) : 0;
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(x), &exponent);  // in [0.5, 1)
  auto mantissa = static_cast<uint64_t>(std::nearbyint(std::ldexp(fraction, l.mantissaBits)));
  if (mantissa >> l.mantissaBits) {  // rounding carried into a new bit
    mantissa >>= 1;
    ++exponent;
  }
  const int64_t e = int64_t{exponent} + l.bias;
  if (e < 1) return cray ? pack(l, negative, 0, 0) : 0;
  if (e > static_cast<int64_t>(lowBits(l.exponentBits))) return largestValue(l, negative);
  return pack(l, negative, static_cast<uint64_t>(e), mantissa);
}

double saturate(double x) {
  if (!std::isinf(x)) return x;
  return std::copysign(std::numeric_limits<double>::max(), x);
}

// Double of a logical word (general path: any exponent, any mantissa).
double decodeReal(const FloatLayout &l, uint64_t word) {
  const bool negative = (word >> (l.width - 1)) & 1;
  const int stored = storedBits(l);
  const uint64_t e = (word >> stored) & lowBits(l.exponentBits);
  uint64_t mantissa = word & lowBits(stored);
  double value = 0;
  if (l.hiddenBit) {
    if (e == 0) return negative ? std::numeric_limits<double>::quiet_NaN() : 0.0;  // reserved operand or 0
    mantissa |= uint64_t{1} << stored;
  } else if (e >= kCrayOutOfRange) {
    if ((mantissa >> 46) & 1) return std::numeric_limits<double>::quiet_NaN();
    return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  }
  // The conversion of the integer rounds once (only VAX D has more than 53
  // bits); the scaling is exact unless the result leaves the double range.
  value = std::ldexp(static_cast<double>(mantissa), static_cast<int>(e) - l.bias - l.mantissaBits);
  value = saturate(value);
  return negative ? -value : value;
}

// ---- Byte images ------------------------------------------------------------
uint64_t loadUnsigned(const unsigned char *p, int bytes, bool bigEndian) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint64_t{p[bigEndian ? bytes - 1 - i : i]} << (8 * i);
  return v;
}

void storeUnsigned(unsigned char *p, int bytes, bool bigEndian, uint64_t v) {
  for (int i = 0; i < bytes; ++i) p[bigEndian ? bytes - 1 - i : i] = static_cast<unsigned char>(v >> (8 * i));
}

uint64_t load64(const unsigned char *p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

uint64_t loadBigEndian64(const unsigned char *p) { return kNativeBigEndian ? load64(p) : __builtin_bswap64(load64(p)); }

// VAX values are 16-bit little-endian words, the most significant word first.
uint64_t loadVax(const unsigned char *p, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; i += 2) v = (v << 16) | p[i] | (uint64_t{p[i + 1]} << 8);
  return v;
}

// The eight-byte case as one load and a reversal of the four words.
uint64_t loadVax64(const unsigned char *p) {
  const uint64_t v = kNativeBigEndian ? __builtin_bswap64(load64(p)) : load64(p);
  return (v << 48) | ((v << 16) & 0x0000FFFF00000000) | ((v >> 16) & 0x00000000FFFF0000) | (v >> 48);
}

void storeVax(unsigned char *p, int bytes, uint64_t v) {
  for (int i = bytes - 2; i >= 0; i -= 2, v >>= 16) {
    p[i] = static_cast<unsigned char>(v);
    p[i + 1] = static_cast<unsigned char>(v >> 8);
  }
}

void store64(unsigned char *p, uint64_t v) { std::memcpy(p, &v, 8); }

// ---- Fast paths to native doubles -------------------------------------------
// Each decoder loads the logical word of a slot, says whether the word needs
// the general path (special) and otherwise converts it with a few integer
// operations and no branch (fast), so that whole blocks convert at memory
// speed. special is 1 or 0, computed from sign bits of differences so that
// the scan of a block needs no branch either. fast returns the IEEE bits.
// This part is compiled with loop vectorisation whatever the build type.
#if !defined(__clang__)
#pragma GCC push_options
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic")
#endif

constexpr uint64_t kSign = uint64_t{1} << 63;
constexpr uint64_t kDoubleFraction = lowBits(52);

constexpr uint64_t kQuietNaN = 0x7FF8000000000000;

// The VAX words of exponent 0 are 0 (sign 0, whatever the fraction) or the
// reserved operand (sign 1), read as NaN: fast handles them with a select
// made of masks. exponentMinusOne wraps (top bit set) for exponent 0; the
// sign is bit 63 of signWord.
inline uint64_t selectExponentZero(uint64_t value, uint64_t signWord, uint64_t exponentMinusOne) {
  const uint64_t zeroExponent = -(exponentMinusOne >> 63);
  const uint64_t reserved = -(signWord >> 63) & kQuietNaN;
  return (value & ~zeroExponent) | (reserved & zeroExponent);
}

struct VaxDDecoder {
  static constexpr bool kComplete = true;
  static constexpr const FloatLayout &layout = kVaxD;
  static uint64_t load(const unsigned char *p) { return loadVax64(p); }
  static uint64_t special(uint64_t) { return 0; }
  // 1.f x 2^(e-129) has the IEEE exponent e + 894; the 55 fraction bits
  // round to 52, ties to even, a carry moving into the exponent.
  static uint64_t fast(uint64_t w) {
    const uint64_t t = w & ~kSign;
    const uint64_t rounded = (t + 3 + ((t >> 3) & 1)) >> 3;
    const uint64_t value = (w & kSign) | (rounded + (uint64_t{894} << 52));
    return selectExponentZero(value, w, ((w >> 55) & 0xFF) - 1);
  }
};

struct VaxGDecoder {
  static constexpr bool kComplete = false;
  static constexpr const FloatLayout &layout = kVaxG;
  static uint64_t load(const unsigned char *p) { return loadVax64(p); }
  // Exponents 0 (zero, reserved), 1 and 2 (double denormals).
  static uint64_t special(uint64_t w) { return (((w >> 52) & 0x7FF) - 3) >> 63; }
  static uint64_t fast(uint64_t w) { return w - (uint64_t{2} << 52); }  // same fields, bias two lower
};

struct VaxFDecoder {
  static constexpr bool kComplete = true;
  static constexpr const FloatLayout &layout = kVaxF;
  static uint64_t load(const unsigned char *p) { return loadVax(p, 4); }
  static uint64_t special(uint64_t) { return 0; }
  static uint64_t fast(uint64_t w) {
    const uint64_t sign = (w & 0x80000000u) << 32;
    const uint64_t value = sign | ((((w >> 23) & 0xFF) + 894) << 52) | ((w & lowBits(23)) << 29);
    return selectExponentZero(value, sign, ((w >> 23) & 0xFF) - 1);
  }
};

struct CrayDecoder {
  static constexpr bool kComplete = false;
  static constexpr const FloatLayout &layout = kCray;
  static uint64_t load(const unsigned char *p) { return loadBigEndian64(p); }
  // Fast when normalised (bit 47 set) with a double exponent e - 15362 in
  // 1..2046.
  static uint64_t special(uint64_t w) {
    const uint64_t d = ((w >> 48) & 0x7FFF) - 15363;
    return ((~w >> 47) & 1) | ((d | (2045 - d)) >> 63);
  }
  static uint64_t fast(uint64_t w) {
    return (w & kSign) | ((((w >> 48) & 0x7FFF) - 15362) << 52) | ((w << 5) & kDoubleFraction);
  }
};

// ---- Whole-buffer conversions ----------------------------------------------
// Blocks of slots that hold no special word take the branch-free path;
// decoders that are complete handle every word on it. With GCC on x86-64
// the loops are built for three instruction sets (AVX-512 rotates and
// three-input logic, AVX2 byte shuffles, the baseline) and chosen when the
// library loads; GCC alone makes clones of templates, so other compilers
// build them once, for the baseline.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define ZQ_BUFFER_LOOPS __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define ZQ_BUFFER_LOOPS
#endif
template <typename Decoder>
ZQ_BUFFER_LOOPS void decodeSlots(unsigned char *slots, int n) {
  constexpr int kBlock = 512;
  for (int start = 0; start < n; start += kBlock) {
    unsigned char *block = slots + 8 * static_cast<size_t>(start);
    const int count = n - start < kBlock ? n - start : kBlock;
    if constexpr (Decoder::kComplete) {
      for (int i = 0; i < count; ++i) store64(block + 8 * i, Decoder::fast(Decoder::load(block + 8 * i)));
      continue;
    }
    uint64_t anySpecial = 0;
    for (int i = 0; i < count; ++i) anySpecial |= Decoder::special(Decoder::load(block + 8 * i));
    if (!anySpecial) {
      for (int i = 0; i < count; ++i) store64(block + 8 * i, Decoder::fast(Decoder::load(block + 8 * i)));
      continue;
    }
    for (int i = 0; i < count; ++i) {
      const uint64_t w = Decoder::load(block + 8 * i);
      store64(block + 8 * i,
              Decoder::special(w) ? std::bit_cast<uint64_t>(decodeReal(Decoder::layout, w)) : Decoder::fast(w));
    }
  }
}

#if !defined(__clang__)
#pragma GCC pop_options
#endif

template <typename Decode>
void eachSlotToNative(unsigned char *slots, int n, Decode decode) {
  for (int i = 0; i < n; ++i) {
    unsigned char *p = slots + 8 * static_cast<size_t>(i);
    store64(p, decode(p));
  }
}

void realsToNative(unsigned char *slots, int n, Real kind, int bytes, bool bigEndian) {
  const bool swap = bigEndian != kNativeBigEndian;
  switch (kind) {
    case Real::Ieee:
      if (bytes == 8 && !swap) return;
      if (bytes == 8) {
        eachSlotToNative(slots, n, [](const unsigned char *p) { return __builtin_bswap64(load64(p)); });
      } else {
        eachSlotToNative(slots, n, [bigEndian](const unsigned char *p) {
          const auto f = std::bit_cast<float>(static_cast<uint32_t>(loadUnsigned(p, 4, bigEndian)));
          return std::bit_cast<uint64_t>(static_cast<double>(f));
        });
      }
      break;
    case Real::VaxF: decodeSlots<VaxFDecoder>(slots, n); break;
    case Real::VaxD: decodeSlots<VaxDDecoder>(slots, n); break;
    case Real::VaxG: decodeSlots<VaxGDecoder>(slots, n); break;
    case Real::Cray: decodeSlots<CrayDecoder>(slots, n); break;
  }
}

// Takes the double out of each slot, clears the slot and lets encode write
// the file image at its start.
template <typename Encode>
void eachSlotFromNative(unsigned char *slots, int n, Encode encode) {
  for (int i = 0; i < n; ++i) {
    unsigned char *p = slots + 8 * static_cast<size_t>(i);
    double x;
    std::memcpy(&x, p, 8);
    std::memset(p, 0, 8);
    encode(x, p);
  }
}

void realsFromNative(unsigned char *slots, int n, Real kind, int bytes, bool bigEndian) {
  switch (kind) {
    case Real::Ieee:
      if (bytes == 8) {
        eachSlotFromNative(
            slots, n, [=](double x, unsigned char *p) { storeUnsigned(p, 8, bigEndian, std::bit_cast<uint64_t>(x)); });
      } else {
        eachSlotFromNative(slots, n, [=](double x, unsigned char *p) {
          storeUnsigned(p, 4, bigEndian, std::bit_cast<uint32_t>(static_cast<float>(x)));
        });
      }
      break;
    case Real::VaxF:
      eachSlotFromNative(slots, n, [](double x, unsigned char *p) { storeVax(p, 4, encodeReal(kVaxF, x)); });
      break;
    case Real::VaxD:
      eachSlotFromNative(slots, n, [](double x, unsigned char *p) { storeVax(p, 8, encodeReal(kVaxD, x)); });
      break;
    case Real::VaxG:
      eachSlotFromNative(slots, n, [](double x, unsigned char *p) { storeVax(p, 8, encodeReal(kVaxG, x)); });
      break;
    case Real::Cray:
      eachSlotFromNative(slots, n, [](double x, unsigned char *p) { storeUnsigned(p, 8, true, encodeReal(kCray, x)); });
      break;
  }
}

void integersToNative(unsigned char *slots, int n, int bytes, bool isSigned, bool bigEndian) {
  const int unused = 64 - 8 * bytes;
  for (int i = 0; i < n; ++i) {
    unsigned char *p = slots + 8 * static_cast<size_t>(i);
    const uint64_t raw = loadUnsigned(p, bytes, bigEndian);
    double x;
    if (isSigned) {
      x = static_cast<double>(static_cast<int64_t>(raw << unused) >> unused);
    } else {
      x = static_cast<double>(raw);
    }
    std::memcpy(p, &x, 8);
  }
}

// The limits of an integer type, as doubles (2^63 and 2^64 are exact).
struct IntegerRange {
  double above;  // the first value too large
  double below;  // the last value too small
  uint64_t largest;
  uint64_t smallest;
  bool isSigned;
};

IntegerRange rangeOf(int bytes, bool isSigned) {
  const int bits = 8 * bytes;
  if (isSigned) {
    return {std::ldexp(1.0, bits - 1), -std::ldexp(1.0, bits - 1) - 1, lowBits(bits - 1), uint64_t{1} << (bits - 1),
            true};
  }
  return {std::ldexp(1.0, bits), 0.0, lowBits(bits), 0, false};
}

// The integer nearest x, halves away from zero, saturated to the range;
// NaN is 0. Adding the largest double below one half and truncating rounds
// every double correctly without a library call.
[[gnu::always_inline]] inline uint64_t clampToInteger(double x, const IntegerRange &range) {
  if (std::isnan(x)) return 0;
  const double r = x + std::copysign(0.49999999999999994, x);
  if (r >= range.above) return range.largest;
  if (range.isSigned) {
    if (r <= range.below) return range.smallest;
    return static_cast<uint64_t>(static_cast<int64_t>(r));
  }
  return r < 1 ? 0 : static_cast<uint64_t>(r);
}

template <int Bytes>
void integersFromNativeOf(unsigned char *slots, int n, bool isSigned, bool bigEndian) {
  const IntegerRange range = rangeOf(Bytes, isSigned);
  eachSlotFromNative(slots, n,
                     [&](double x, unsigned char *p) { storeUnsigned(p, Bytes, bigEndian, clampToInteger(x, range)); });
}

#if !defined(__clang__)
#pragma GCC push_options
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic")
#endif

// Integers of up to four bytes in the native byte order: every limit is an
// exact double, so the rounding and saturation become a clamp and a
// truncation that the compiler can vectorise. Results go to the start of
// each slot, the rest of the slot cleared.
template <typename T>
ZQ_BUFFER_LOOPS void nativeIntegersFromDoubles(unsigned char *slots, int n) {
  for (int i = 0; i < n; ++i) {
    unsigned char *p = slots + 8 * static_cast<size_t>(i);
    double x;
    std::memcpy(&x, p, 8);
    const T v = zqhost::roundSaturated<T>(x);
    const uint64_t slot = static_cast<std::make_unsigned_t<T>>(v);
    std::memcpy(p, &slot, 8);
  }
}

#if !defined(__clang__)
#pragma GCC pop_options
#endif

void integersFromNative(unsigned char *slots, int n, int bytes, bool isSigned, bool bigEndian) {
  if (bigEndian == kNativeBigEndian && !kNativeBigEndian) {
    // A little-endian slot holding the value holds its image at its start.
    switch (bytes * (isSigned ? 1 : -1)) {
      case 1: return nativeIntegersFromDoubles<int8_t>(slots, n);
      case 2: return nativeIntegersFromDoubles<int16_t>(slots, n);
      case 4: return nativeIntegersFromDoubles<int32_t>(slots, n);
      case -1: return nativeIntegersFromDoubles<uint8_t>(slots, n);
      case -2: return nativeIntegersFromDoubles<uint16_t>(slots, n);
      case -4: return nativeIntegersFromDoubles<uint32_t>(slots, n);
      default: break;
    }
  }
  switch (bytes) {
    case 1: return integersFromNativeOf<1>(slots, n, isSigned, bigEndian);
    case 2: return integersFromNativeOf<2>(slots, n, isSigned, bigEndian);
    case 4: return integersFromNativeOf<4>(slots, n, isSigned, bigEndian);
    default: return integersFromNativeOf<8>(slots, n, isSigned, bigEndian);
  }
}

// Bytes of one value of type (1..11) in format f.
int sizeOf(const MachineFormat &f, int type) {
  if (type == UT_TYPE_FLOAT) return f.single == Real::Cray ? 8 : 4;
  if (type == UT_TYPE_DOUBLE) return 8;
  const int bytes = kTypes[type].bytes;
  return bytes < 0 ? f.longBytes : bytes;
}

}  // namespace

extern "C" {

int utGetDataSizeType(void) { return kNativeBigEndian ? 1 : 0; }

int utGetNumDataSizeTypes(void) { return kFormatCount + 1; }

const char *utGetDataSizeTypeName(int format) {
  const MachineFormat *f = formatAt(format);
  return f != nullptr ? f->name : "";
}

int utGetDataEndianType(int format) {
  const MachineFormat *f = formatAt(format);
  return f != nullptr ? f->bigEndian : 0;
}

int utDconvertSize(int format, int type) {
  const MachineFormat *f = formatAt(format);
  if (f == nullptr || type < 1 || type >= kTypeCount) return 0;
  return sizeOf(*f, type);
}

int utDconvertSign(int type) {
  if (type < 0) type = -type;
  return type >= 1 && type < kTypeCount && kTypes[type].isSigned ? 1 : 0;
}

// Returns 0, or -1 for an unknown format or type, a negative count, or a
// size that is not the type's size in the format (0 stands for that size).
int utDconvert(void *buffer, int n, int type, int format, int /*flags*/, int size) {
  const MachineFormat *f = formatAt(format);
  const bool toNative = type > 0;
  const int t = toNative ? type : -type;
  if (f == nullptr || t < 1 || t >= kTypeCount || n < 0 || (buffer == nullptr && n > 0)) return -1;
  const int bytes = sizeOf(*f, t);
  if (size != 0 && size != bytes) return -1;
  auto *slots = static_cast<unsigned char *>(buffer);
  const bool bigEndian = f->bigEndian == 1;
  if (t == UT_TYPE_FLOAT || t == UT_TYPE_DOUBLE) {
    const Real kind = t == UT_TYPE_FLOAT ? f->single : f->dbl;
    if (toNative) {
      realsToNative(slots, n, kind, bytes, bigEndian);
    } else {
      realsFromNative(slots, n, kind, bytes, bigEndian);
    }
  } else if (toNative) {
    integersToNative(slots, n, bytes, kTypes[t].isSigned, bigEndian);
  } else {
    integersFromNative(slots, n, bytes, kTypes[t].isSigned, bigEndian);
  }
  return 0;
}

}  // extern "C"
