// The host's machine formats: names, sizes, hand-checked byte images of
// known values, and round trips over millions of random values.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "host/ut.h"

namespace {

enum Format { kIeeeLe, kIeeeBe, kVaxD, kVaxG, kCray, kIeeeLeL64, kIeeeBeL64 };
using Bytes = std::vector<uint8_t>;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The file image of x written as type in format.
Bytes imageOf(double x, int type, int format) {
  uint8_t slot[8];
  std::memcpy(slot, &x, 8);
  EXPECT_EQ(utDconvert(slot, 1, -type, format, 0, 0), 0);
  return Bytes(slot, slot + utDconvertSize(format, type));
}

double valueOf(const Bytes &image, int type, int format) {
  uint8_t slot[8] = {};
  std::memcpy(slot, image.data(), image.size());
  EXPECT_EQ(utDconvert(slot, 1, type, format, 0, static_cast<int>(image.size())), 0);
  double x;
  std::memcpy(&x, slot, 8);
  return x;
}

TEST(MachineFormats, NameSevenFormatsAndMarkTheEighthInvalid) {
  const char *const names[] = {"ieee-le", "ieee-be", "vaxd", "vaxg", "cray", "ieee-le.l64", "ieee-be.l64"};
  const int bigEndian[] = {0, 1, 0, 0, 1, 0, 1};
  ASSERT_EQ(utGetNumDataSizeTypes(), 8);
  for (int f = 0; f < 7; ++f) {
    EXPECT_STREQ(utGetDataSizeTypeName(f), names[f]);
    EXPECT_EQ(utGetDataEndianType(f), bigEndian[f]);
  }
  EXPECT_STREQ(utGetDataSizeTypeName(7), "");
  EXPECT_EQ(utGetDataSizeType(), std::endian::native == std::endian::little ? 0 : 1);
  uint8_t slot[8] = {};
  EXPECT_NE(utDconvert(slot, 1, UT_TYPE_DOUBLE, 7, 0, 8), 0);
  EXPECT_NE(utDconvert(slot, 1, 12, kIeeeLe, 0, 0), 0);
  EXPECT_NE(utDconvert(slot, 1, UT_TYPE_DOUBLE, kIeeeLe, 0, 4), 0);
}

TEST(MachineFormats, WriteKnownValuesAsTheirHandCheckedImages) {
  const double maxVaxF = std::ldexp(1.0 - std::ldexp(1.0, -24), 127);
  const struct {
    int format, type;
    double value;
    Bytes image;
  } cases[] = {
      {kIeeeBe, UT_TYPE_DOUBLE, 1.0, {0x3F, 0xF0, 0, 0, 0, 0, 0, 0}},
      {kIeeeLe, UT_TYPE_DOUBLE, -2.5, {0, 0, 0, 0, 0, 0, 0x04, 0xC0}},
      {kIeeeBe, UT_TYPE_FLOAT, -2.5, {0xC0, 0x20, 0, 0}},
      {kVaxD, UT_TYPE_FLOAT, 1.0, {0x80, 0x40, 0, 0}},
      {kVaxD, UT_TYPE_FLOAT, -2.5, {0x20, 0xC1, 0, 0}},
      {kVaxD, UT_TYPE_DOUBLE, 1.0, {0x80, 0x40, 0, 0, 0, 0, 0, 0}},
      {kVaxD, UT_TYPE_DOUBLE, -2.5, {0x20, 0xC1, 0, 0, 0, 0, 0, 0}},
      {kVaxG, UT_TYPE_DOUBLE, 1.0, {0x10, 0x40, 0, 0, 0, 0, 0, 0}},
      {kVaxG, UT_TYPE_DOUBLE, -2.5, {0x24, 0xC0, 0, 0, 0, 0, 0, 0}},
      {kCray, UT_TYPE_DOUBLE, 1.0, {0x40, 0x01, 0x80, 0, 0, 0, 0, 0}},
      {kCray, UT_TYPE_FLOAT, -2.5, {0xC0, 0x02, 0xA0, 0, 0, 0, 0, 0}},
      // Smallest normal numbers.
      {kVaxD, UT_TYPE_FLOAT, std::ldexp(1.0, -128), {0x80, 0x00, 0, 0}},
      {kVaxG, UT_TYPE_DOUBLE, DBL_MIN, {0x30, 0x00, 0, 0, 0, 0, 0, 0}},
      {kCray, UT_TYPE_DOUBLE, DBL_MIN, {0x3C, 0x03, 0x80, 0, 0, 0, 0, 0}},
      {kVaxD, UT_TYPE_DOUBLE, DBL_MIN, {0, 0, 0, 0, 0, 0, 0, 0}},  // below VAX range: 0
      // Largest values, and overflow saturating with the sign.
      {kVaxD, UT_TYPE_FLOAT, maxVaxF, {0xFF, 0x7F, 0xFF, 0xFF}},
      {kVaxD, UT_TYPE_FLOAT, 1e39, {0xFF, 0x7F, 0xFF, 0xFF}},
      {kVaxD, UT_TYPE_DOUBLE, -DBL_MAX, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {kVaxG, UT_TYPE_DOUBLE, DBL_MAX, {0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {kCray, UT_TYPE_DOUBLE, DBL_MAX, {0x44, 0x01, 0x80, 0, 0, 0, 0, 0}},  // rounds up to 2^1024
      // Infinities and NaN.
      {kVaxD, UT_TYPE_DOUBLE, -kInf, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {kVaxG, UT_TYPE_DOUBLE, kNaN, {0x00, 0x80, 0, 0, 0, 0, 0, 0}},
      {kCray, UT_TYPE_DOUBLE, kNaN, {0x60, 0x00, 0xC0, 0, 0, 0, 0, 0}},
      {kCray, UT_TYPE_DOUBLE, -kInf, {0xE0, 0x00, 0x80, 0, 0, 0, 0, 0}},
      // Integers: byte order, rounding, saturation, NaN.
      {kIeeeBe, UT_TYPE_SHORT, -2, {0xFF, 0xFE}},
      {kIeeeLe, UT_TYPE_INT, -3.5, {0xFC, 0xFF, 0xFF, 0xFF}},
      {kIeeeLe, UT_TYPE_USHORT, 70000, {0xFF, 0xFF}},
      {kIeeeBe, UT_TYPE_UINT, -5, {0, 0, 0, 0}},
      {kIeeeLe, UT_TYPE_SCHAR, -200, {0x80}},
      {kIeeeLe, UT_TYPE_UCHAR, kNaN, {0x00}},
      {kIeeeLe, UT_TYPE_CHAR, 300, {0xFF}},
      {kIeeeLe, UT_TYPE_LONG, 3e9, {0xFF, 0xFF, 0xFF, 0x7F}},
      {kIeeeBeL64, UT_TYPE_LONG, -1, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {kIeeeLeL64, UT_TYPE_ULONG, 1e20, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {kIeeeLeL64, UT_TYPE_LONG, -1e19, {0, 0, 0, 0, 0, 0, 0, 0x80}},
      {kVaxG, UT_TYPE_SHORT, 258, {0x02, 0x01}},
      {kCray, UT_TYPE_SHORT, 258, {0x01, 0x02}},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(imageOf(c.value, c.type, c.format), c.image)
        << utGetDataSizeTypeName(c.format) << " type " << c.type << " value " << c.value;
  }
}

TEST(MachineFormats, ReadKnownImagesAsTheirValues) {
  const struct {
    int format, type;
    Bytes image;
    double value;
  } cases[] = {
      {kVaxD, UT_TYPE_FLOAT, {0x80, 0x40, 0, 0}, 1.0},
      {kVaxD, UT_TYPE_DOUBLE, {0x20, 0xC1, 0, 0, 0, 0, 0, 0}, -2.5},
      {kVaxG, UT_TYPE_DOUBLE, {0x24, 0xC0, 0, 0, 0, 0, 0, 0}, -2.5},
      {kCray, UT_TYPE_DOUBLE, {0x40, 0x01, 0x80, 0, 0, 0, 0, 0}, 1.0},
      {kVaxD, UT_TYPE_FLOAT, {0x00, 0x00, 0x12, 0x34}, 0.0},                            // exponent 0, sign 0: zero
      {kVaxG, UT_TYPE_DOUBLE, {0x10, 0x00, 0, 0, 0, 0, 0, 0}, std::ldexp(1.0, -1024)},  // a double denormal
      {kCray, UT_TYPE_DOUBLE, {0x44, 0x01, 0x80, 0, 0, 0, 0, 0}, DBL_MAX},              // beyond double: saturates
      {kCray, UT_TYPE_DOUBLE, {0xC4, 0x01, 0x80, 0, 0, 0, 0, 0}, -DBL_MAX},
      {kCray, UT_TYPE_DOUBLE, {0x20, 0x00, 0x80, 0, 0, 0, 0, 0}, 0.0},                         // far below double: 0
      {kCray, UT_TYPE_DOUBLE, {0x40, 0x03, 0x00, 0, 0, 0, 0, 0x01}, std::ldexp(1.0, 3 - 48)},  // unnormalised
      {kCray, UT_TYPE_DOUBLE, {0xE0, 0x00, 0x80, 0, 0, 0, 0, 0}, -kInf},
      {kIeeeBe, UT_TYPE_SHORT, {0xFF, 0xFE}, -2},
      {kIeeeLe, UT_TYPE_USHORT, {0xFE, 0xFF}, 65534},
      {kIeeeLe, UT_TYPE_CHAR, {0xE9}, 233},
      {kIeeeLe, UT_TYPE_SCHAR, {0xE9}, -23},
      {kIeeeBeL64, UT_TYPE_LONG, {0x80, 0, 0, 0, 0, 0, 0, 0}, -9223372036854775808.0},
      {kIeeeLeL64, UT_TYPE_ULONG, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 18446744073709551615.0},
      {kIeeeBe, UT_TYPE_UINT, {0xFF, 0xFF, 0xFF, 0xFE}, 4294967294.0},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(valueOf(c.image, c.type, c.format), c.value) << utGetDataSizeTypeName(c.format) << " type " << c.type;
  }
  EXPECT_TRUE(std::isnan(valueOf({0x00, 0x80, 0x12, 0x34}, UT_TYPE_FLOAT, kVaxD)));  // reserved operand
  EXPECT_TRUE(std::isnan(valueOf({0x00, 0x80, 0, 0, 0, 0, 0, 0}, UT_TYPE_DOUBLE, kVaxG)));
  EXPECT_TRUE(std::isnan(valueOf({0x60, 0x00, 0xC0, 0, 0, 0, 0, 0}, UT_TYPE_DOUBLE, kCray)));
}

// ---- Round trips ------------------------------------------------------------
constexpr int kRandomValues = 2'000'000;

// Converts all values through the format and back, in one call each way.
std::vector<double> throughFormat(const std::vector<double> &values, int type, int format) {
  std::vector<double> slots(values);
  EXPECT_EQ(utDconvert(slots.data(), static_cast<int>(slots.size()), -type, format, 0, 0), 0);
  EXPECT_EQ(utDconvert(slots.data(), static_cast<int>(slots.size()), type, format, 0, 0), 0);
  return slots;
}

// Random finite doubles with |x| in [2^lo, 2^hi), random sign and mantissa,
// the lowest dropBits of the mantissa cleared.
std::vector<double> randomDoubles(int lo, int hi, int dropBits, uint64_t seed, int count = kRandomValues) {
  std::mt19937_64 rng(seed);
  std::uniform_int_distribution<int> exponent(lo, hi - 1);
  std::vector<double> values(count);
  for (double &x : values) {
    const uint64_t mantissa = (rng() & ((uint64_t{1} << 52) - 1)) >> dropBits << dropBits;
    const double m = 1.0 + std::ldexp(static_cast<double>(mantissa), -52);
    x = std::ldexp(rng() & 1 ? -m : m, exponent(rng));
  }
  return values;
}

size_t firstDifference(const std::vector<double> &a, const std::vector<double> &b) {
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::bit_cast<uint64_t>(a[i]) != std::bit_cast<uint64_t>(b[i])) return i;
  }
  return a.size();
}

TEST(MachineFormats, KeepEveryDoubleTheFormatCanHold) {
  const struct {
    const char *what;
    int format, type, lo, hi, dropBits;
  } cases[] = {
      {"ieee-be double", kIeeeBe, UT_TYPE_DOUBLE, -1074, 1024, 0},
      {"ieee-le single", kIeeeLe, UT_TYPE_FLOAT, -126, 128, 29},
      {"vax F", kVaxD, UT_TYPE_FLOAT, -128, 127, 29},
      {"vax D", kVaxD, UT_TYPE_DOUBLE, -128, 127, 0},
      {"vax G", kVaxG, UT_TYPE_DOUBLE, -1022, 1023, 0},
      {"cray", kCray, UT_TYPE_DOUBLE, -1022, 1024, 5},
  };
  uint64_t seed = 1;
  for (const auto &c : cases) {
    const std::vector<double> values = randomDoubles(c.lo, c.hi, c.dropBits, seed++);
    const std::vector<double> back = throughFormat(values, c.type, c.format);
    const size_t at = firstDifference(values, back);
    EXPECT_EQ(at, values.size()) << c.what << ": " << values[at] << " came back as " << back[at];
  }
}

TEST(MachineFormats, RoundDoublesToTheNearestCrayAndVaxFValue) {
  // Cray keeps 48 mantissa bits, VAX F 24: the error is at most half a unit
  // in the last kept place, and a value exactly halfway goes to the even one.
  const struct {
    const char *what;
    int format, type, bits, lo, hi;
  } cases[] = {{"cray", kCray, UT_TYPE_DOUBLE, 48, -1022, 1024}, {"vax F", kVaxD, UT_TYPE_FLOAT, 24, -120, 120}};
  for (const auto &c : cases) {
    const std::vector<double> values = randomDoubles(c.lo, c.hi, 0, 42);
    const std::vector<double> back = throughFormat(values, c.type, c.format);
    size_t bad = 0;
    for (size_t i = 0; i < values.size(); ++i) {
      int e;
      std::frexp(values[i], &e);
      const double halfUnit = std::ldexp(1.0, e - c.bits - 1);
      if (!(std::fabs(back[i] - values[i]) <= halfUnit)) ++bad;
    }
    EXPECT_EQ(bad, 0u) << c.what;
  }
  EXPECT_EQ(imageOf(1.0 + std::ldexp(1.0, -48), UT_TYPE_DOUBLE, kCray), imageOf(1.0, UT_TYPE_DOUBLE, kCray));
  EXPECT_EQ(valueOf(imageOf(1.0 + 3 * std::ldexp(1.0, -48), UT_TYPE_DOUBLE, kCray), UT_TYPE_DOUBLE, kCray),
            1.0 + std::ldexp(1.0, -46));
}

// Random images with the given fields: exponent in [eLo, eHi], mantissa
// random, written most significant word first (VAX) or big-endian (Cray).
TEST(MachineFormats, ReadEveryImageInRangeExactlyAndWriteItBackUnchanged) {
  std::mt19937_64 rng(7);
  const struct {
    const char *what;
    int format, type, exponentShift, exponentLo, exponentHi;
    uint64_t forcedBits;
  } cases[] = {
      {"vax F", kVaxD, UT_TYPE_FLOAT, 23, 1, 255, 0},
      {"vax G", kVaxG, UT_TYPE_DOUBLE, 52, 3, 2047, 0},
      {"cray", kCray, UT_TYPE_DOUBLE, 48, 15363, 17408, uint64_t{1} << 47},
  };
  for (const auto &c : cases) {
    const int size = utDconvertSize(c.format, c.type);
    const int width = 8 * size;
    std::uniform_int_distribution<int> exponent(c.exponentLo, c.exponentHi);
    std::vector<uint64_t> words(kRandomValues);
    std::vector<uint8_t> slots(8 * words.size(), 0);
    for (size_t i = 0; i < words.size(); ++i) {
      const uint64_t mantissa = rng() & ((uint64_t{1} << c.exponentShift) - 1);
      const uint64_t sign = (rng() & 1) << (width - 1);
      words[i] = sign | (uint64_t(exponent(rng)) << c.exponentShift) | mantissa | c.forcedBits;
      for (int b = 0; b < size; ++b) {
        // VAX: word k (from the top) at bytes 2k (low byte) and 2k+1.
        const int shift = c.format == kCray ? width - 8 * (b + 1) : width - 16 * (b / 2 + 1) + 8 * (b % 2);
        slots[8 * i + b] = static_cast<uint8_t>(words[i] >> shift);
      }
    }
    const std::vector<uint8_t> original(slots);
    ASSERT_EQ(utDconvert(slots.data(), kRandomValues, c.type, c.format, 0, size), 0);
    ASSERT_EQ(utDconvert(slots.data(), kRandomValues, -c.type, c.format, 0, size), 0);
    size_t bad = 0;
    for (size_t i = 0; i < words.size(); ++i) {
      if (std::memcmp(&slots[8 * i], &original[8 * i], size) != 0) ++bad;
    }
    EXPECT_EQ(bad, 0u) << c.what;
  }
}

TEST(MachineFormats, RoundVaxDToTheNearestDouble) {
  // long double holds the 56 bits of a VAX D mantissa exactly, so the
  // reference value is the long double rounded once to double.
  std::mt19937_64 rng(11);
  std::vector<uint8_t> slots(8 * static_cast<size_t>(kRandomValues));
  std::vector<long double> exact(kRandomValues);
  for (int i = 0; i < kRandomValues; ++i) {
    const uint64_t fraction = rng() & ((uint64_t{1} << 55) - 1);
    const uint64_t e = 1 + rng() % 255;
    const uint64_t sign = rng() & 1;
    const uint64_t word = (sign << 63) | (e << 55) | fraction;
    for (int k = 0; k < 4; ++k) {
      const auto w = static_cast<uint16_t>(word >> (48 - 16 * k));
      slots[8 * i + 2 * k] = static_cast<uint8_t>(w);
      slots[8 * i + 2 * k + 1] = static_cast<uint8_t>(w >> 8);
    }
    const long double m = static_cast<long double>(fraction | (uint64_t{1} << 55));
    exact[i] = (sign ? -1 : 1) * std::ldexp(m, static_cast<int>(e) - 128 - 56);
  }
  ASSERT_EQ(utDconvert(slots.data(), kRandomValues, UT_TYPE_DOUBLE, kVaxD, 0, 8), 0);
  size_t bad = 0;
  for (int i = 0; i < kRandomValues; ++i) {
    double x;
    std::memcpy(&x, &slots[8 * i], 8);
    if (x != static_cast<double>(exact[i])) ++bad;
  }
  EXPECT_EQ(bad, 0u);
}

TEST(MachineFormats, ConvertSpecialWordsInsideLargeBatchesAsOnTheirOwn) {
  // Zeros, reserved operands, denormal results and out-of-range words mixed
  // into blocks of ordinary values must not disturb their neighbours.
  const struct {
    int format;
    Bytes special;
  } cases[] = {
      {kVaxD, {0x00, 0x80, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}},
      {kVaxD, {0x00, 0x00, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}},
      {kVaxG, {0x10, 0x00, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}},
      {kCray, {0x60, 0x00, 0xC0, 0, 0, 0, 0, 0}},
      {kCray, {0x40, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}},
  };
  for (const auto &c : cases) {
    const std::vector<double> values = randomDoubles(-100, 100, 8, 5, 3000);
    std::vector<uint8_t> slots(8 * values.size());
    std::memcpy(slots.data(), values.data(), slots.size());
    ASSERT_EQ(utDconvert(slots.data(), static_cast<int>(values.size()), -UT_TYPE_DOUBLE, c.format, 0, 8), 0);
    for (size_t i = 0; i < values.size(); i += 7) std::memcpy(&slots[8 * i], c.special.data(), 8);
    std::vector<double> expected(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
      expected[i] = valueOf(Bytes(&slots[8 * i], &slots[8 * i + 8]), UT_TYPE_DOUBLE, c.format);
    }
    ASSERT_EQ(utDconvert(slots.data(), static_cast<int>(values.size()), UT_TYPE_DOUBLE, c.format, 0, 8), 0);
    std::vector<double> batch(values.size());
    std::memcpy(batch.data(), slots.data(), slots.size());
    EXPECT_EQ(firstDifference(batch, expected), batch.size()) << utGetDataSizeTypeName(c.format);
  }
}

TEST(MachineFormats, KeepEveryIntegerOfEveryWidthAndOrder) {
  std::mt19937_64 rng(3);
  const int types[] = {UT_TYPE_SCHAR,  UT_TYPE_SHORT, UT_TYPE_INT,  UT_TYPE_UCHAR,
                       UT_TYPE_USHORT, UT_TYPE_UINT,  UT_TYPE_LONG, UT_TYPE_ULONG};
  for (int format : {kIeeeLe, kIeeeBe, kIeeeLeL64, kIeeeBeL64}) {
    for (int type : types) {
      const int bits = std::min(8 * utDconvertSize(format, type), 53);  // doubles hold 53 bits exactly
      const bool isSigned = utDconvertSign(type) == 1;
      std::vector<double> values(kRandomValues / 8);
      for (double &x : values) {
        const int64_t raw = static_cast<int64_t>(rng() >> (64 - bits));
        x = static_cast<double>(raw) - (isSigned ? std::ldexp(1.0, bits - 1) : 0.0);
      }
      const std::vector<double> back = throughFormat(values, type, format);
      const size_t at = firstDifference(values, back);
      EXPECT_EQ(at, values.size()) << utGetDataSizeTypeName(format) << " type " << type;
    }
  }
}

}  // namespace
