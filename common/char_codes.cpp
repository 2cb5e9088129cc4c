#include "common/char_codes.h"

#include <algorithm>
#include <cstdint>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace zq::common {

// Sixteen bytes at a time: interleaving with zero bytes widens them to
// little-endian 16-bit codes in two stores.
void widenBytes(const unsigned char *__restrict bytes, qxChar *__restrict codes, size_t n) {
  size_t i = 0;
#if defined(__SSE2__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + i));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(codes + i), _mm_unpacklo_epi8(b, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(codes + i + 8), _mm_unpackhi_epi8(b, zero));
  }
#endif
  for (; i < n; ++i) codes[i] = bytes[i];
}

void widenSignedBytes(const char *bytes, qxChar *codes, size_t n) {
  for (size_t i = 0; i < n; ++i) codes[i] = static_cast<qxChar>(static_cast<int8_t>(bytes[i]));
}

namespace {

// Index of the first code not checked: the codes before it are all from 1
// to 255 (a code c is such when c - 1, wrapping, is at most 254). Vector
// paths take whole blocks; the rest is left to the portable loop.
using BlockScan = size_t (*)(const qxChar *codes, size_t n, bool &ok);

size_t scanNone(const qxChar *, size_t, bool &ok) {
  ok = true;
  return 0;
}

#if defined(__x86_64__)
// Sixty-four codes a step with four running maxima, which are compared
// only every 64 KiB so that the loop stays a plain stream of loads: the
// scan runs at the speed of reading memory.
[[gnu::target("avx2")]] size_t scanAvx2(const qxChar *codes, size_t n, bool &ok) {
  constexpr size_t kStep = 64, kCheckEvery = 32 * 1024;
  const __m256i one = _mm256_set1_epi16(1), limit = _mm256_set1_epi16(254);
  size_t i = 0;
  ok = true;
  while (ok && i + kStep <= n) {
    __m256i m0 = _mm256_setzero_si256(), m1 = m0, m2 = m0, m3 = m0;
    const size_t end = std::min(n - n % kStep, i + kCheckEvery);
    for (; i < end; i += kStep) {
      const auto *p = reinterpret_cast<const __m256i *>(codes + i);
      m0 = _mm256_max_epu16(m0, _mm256_sub_epi16(_mm256_loadu_si256(p), one));
      m1 = _mm256_max_epu16(m1, _mm256_sub_epi16(_mm256_loadu_si256(p + 1), one));
      m2 = _mm256_max_epu16(m2, _mm256_sub_epi16(_mm256_loadu_si256(p + 2), one));
      m3 = _mm256_max_epu16(m3, _mm256_sub_epi16(_mm256_loadu_si256(p + 3), one));
    }
    const __m256i m = _mm256_max_epu16(_mm256_max_epu16(m0, m1), _mm256_max_epu16(m2, m3));
    ok = _mm256_movemask_epi8(_mm256_cmpeq_epi16(_mm256_max_epu16(m, limit), limit)) == -1;
  }
  return i;
}
#endif

BlockScan pickBlockScan() {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx2")) return scanAvx2;
#endif
  return scanNone;
}

}  // namespace

bool allSingleByteCodes(const qxChar *codes, size_t n) {
  static const BlockScan blockScan = pickBlockScan();
  bool ok = true;
  size_t i = blockScan(codes, n, ok);
  if (!ok) return false;
  // Blocks without an early exit inside, which the compiler vectorises.
  constexpr size_t kBlock = 4096;
  for (; i < n; i += kBlock) {
    bool bad = false;
    for (size_t j = i, end = std::min(n, i + kBlock); j < end; ++j) bad |= static_cast<qxChar>(codes[j] - 1) > 254;
    if (bad) return false;
  }
  return true;
}

}  // namespace zq::common
