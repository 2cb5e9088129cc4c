#include "builtins/char_codes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zq::builtins {

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

}  // namespace zq::builtins
