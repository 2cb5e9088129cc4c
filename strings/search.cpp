// The search engine. The character search screens start positions with
// vector compares of the pattern's first and last codes and checks the
// codes between only at the positions that pass. That is as fast as
// reading the text when few positions pass, but a repetitive text can make
// every position pass and every check long; so the checks are charged
// against the text scanned, and once they cost more than a few codes per
// position the rest of the text is searched by Knuth-Morris-Pratt, which
// never looks at a text code more than twice. The numeric search uses
// Knuth-Morris-Pratt throughout.
#include "strings/search.h"

#include <cmath>
#include <cstring>

#include "common/outputs.h"
#include "strings/messages.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace zq::strings {

void MatchList::grow() {
  constexpr std::size_t kFirstCapacity = 1024;
  const std::size_t capacity = capacity_ == 0 ? kFirstCapacity : 2 * capacity_;
  void *block = qxRealloc(block_.get(), capacity * sizeof(std::uint32_t));
  if (block == nullptr) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  (void)block_.release();
  block_.reset(static_cast<std::uint32_t *>(block));
  capacity_ = capacity;
}

qxArray *positionsRow(const MatchList &matches) {
  if (matches.empty()) return common::created(qxCreateDoubleMatrix(0, 0, 0));
  const auto positions = matches.positions();
  qxArray *row = common::created(qxCreateDoubleMatrix(1, static_cast<int>(positions.size()), 0));
  double *out = qxGetPr(row);
  for (std::size_t i = 0; i < positions.size(); ++i) out[i] = positions[i] + 1.0;
  return row;
}

namespace {

// ---- Knuth-Morris-Pratt -------------------------------------------------

// border[j]: the length of the longest proper prefix of pattern[0..j] that
// is also its suffix. same(j, k) compares pattern elements j and k.
template <class Same>
common::QxBlock<std::uint32_t> borderTable(std::size_t m, Same same) {
  common::QxBlock<std::uint32_t> border(static_cast<std::uint32_t *>(qxMalloc(m * sizeof(std::uint32_t))));
  if (!border) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  std::uint32_t *b = border.get();
  b[0] = 0;
  std::size_t k = 0;
  for (std::size_t j = 1; j < m; ++j) {
    while (k > 0 && !same(j, k)) k = b[k - 1];
    if (same(j, k)) ++k;
    b[j] = static_cast<std::uint32_t>(k);
  }
  return border;
}

// Adds every match that starts at `from` or later in a text of n elements;
// same(i, j) compares text element i with pattern element j.
template <class SamePattern, class SameText>
void kmpSearch(std::size_t from, std::size_t n, std::size_t m, SamePattern samePattern, SameText same,
               MatchList &matches) {
  const auto border = borderTable(m, samePattern);
  const std::uint32_t *b = border.get();
  std::size_t k = 0;
  for (std::size_t i = from; i < n; ++i) {
    while (k > 0 && !same(i, k)) k = b[k - 1];
    if (same(i, k)) ++k;
    if (k == m) {
      matches.add(i + 1 - m);
      k = b[m - 1];
    }
  }
}

// ---- Screening by first and last code ---------------------------------

// A screen visits each start i <= lastStart where text[i] == firstCode and
// text[i + gap] == lastCode, in order, until visit(i) returns false; it
// returns the start it stopped at (lastStart + 1 when it went through).
struct Screen {
  const qxChar *text;
  std::size_t lastStart;
  std::size_t gap;
  qxChar firstCode;
  qxChar lastCode;
};

template <class Visit>
std::size_t screenScalar(const Screen &s, std::size_t from, Visit &visit) {
  for (std::size_t i = from; i <= s.lastStart; ++i) {
    if (s.text[i] == s.firstCode && s.text[i + s.gap] == s.lastCode && !visit(i)) return i;
  }
  return s.lastStart + 1;
}

#if defined(__x86_64__)
// Visits the set bits of a byte mask of 16-bit compares (two bits a code).
template <class Visit>
[[gnu::always_inline]] inline bool visitMask(unsigned mask, std::size_t base, Visit &visit, std::size_t &stop) {
  while (mask != 0) {
    const std::size_t i = base + (static_cast<unsigned>(__builtin_ctz(mask)) >> 1);
    if (!visit(i)) {
      stop = i;
      return false;
    }
    mask &= mask - 1;
    mask &= mask - 1;
  }
  return true;
}

// Sixteen positions a step.
template <class Visit>
[[gnu::target("avx2")]] std::size_t screenAvx2(const Screen &s, Visit &visit) {
  const __m256i first = _mm256_set1_epi16(static_cast<short>(s.firstCode));
  const __m256i last = _mm256_set1_epi16(static_cast<short>(s.lastCode));
  std::size_t i = 0, stop = 0;
  for (; i + 16 <= s.lastStart + 1; i += 16) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s.text + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s.text + i + s.gap));
    const __m256i hits = _mm256_and_si256(_mm256_cmpeq_epi16(a, first), _mm256_cmpeq_epi16(b, last));
    const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(hits));
    if (mask != 0 && !visitMask(mask, i, visit, stop)) return stop;
  }
  return screenScalar(s, i, visit);
}

// Eight positions a step (every x86-64 processor has SSE2).
template <class Visit>
std::size_t screenSse2(const Screen &s, Visit &visit) {
  const __m128i first = _mm_set1_epi16(static_cast<short>(s.firstCode));
  const __m128i last = _mm_set1_epi16(static_cast<short>(s.lastCode));
  std::size_t i = 0, stop = 0;
  for (; i + 8 <= s.lastStart + 1; i += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s.text + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s.text + i + s.gap));
    const __m128i hits = _mm_and_si128(_mm_cmpeq_epi16(a, first), _mm_cmpeq_epi16(b, last));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0 && !visitMask(mask, i, visit, stop)) return stop;
  }
  return screenScalar(s, i, visit);
}
#endif

template <class Visit>
std::size_t screen(const Screen &s, Visit &visit) {
#if defined(__x86_64__)
  static const bool hasAvx2 = __builtin_cpu_supports("avx2");
  return hasAvx2 ? screenAvx2(s, visit) : screenSse2(s, visit);
#else
  return screenScalar(s, 0, visit);
#endif
}

// The index of the first difference between a[0..n) and b[0..n), or n.
std::size_t mismatch(const qxChar *a, const qxChar *b, std::size_t n) {
  std::size_t i = 0;
#if defined(__x86_64__)
  for (; i + 8 <= n; i += 8) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + i));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i));
    const unsigned differ = ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(x, y))) & 0xffffu;
    if (differ != 0) return i + (static_cast<unsigned>(__builtin_ctz(differ)) >> 1);
  }
#endif
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// How many codes the checks after the screen may compare per position of
// text scanned before the search turns to Knuth-Morris-Pratt.
constexpr std::size_t kCheckBudget = 4;

// ---- Numeric operands ---------------------------------------------------

bool rowVectorsOrSameSize(const qxArray *a, const qxArray *b) {
  if (qxGetNumberOfDimensions(a) > 2 || qxGetNumberOfDimensions(b) > 2) return false;
  const bool sameSize = qxGetM(a) == qxGetM(b) && qxGetN(a) == qxGetN(b);
  return sameSize || qxGetM(a) == 1 || qxGetM(b) == 1;
}

bool holdsNaN(const double *values, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (std::isnan(values[i])) return true;
  }
  return false;
}

}  // namespace

void findCodes(std::span<const qxChar> text, std::span<const qxChar> pattern, MatchList &matches) {
  const std::size_t n = text.size(), m = pattern.size();
  if (m == 0 || n == 0 || m > n) return;
  const qxChar *t = text.data(), *p = pattern.data();
  // The codes between the first and the last, checked at each position
  // the screen passes.
  const std::size_t middle = m > 2 ? m - 2 : 0;
  std::size_t checked = 0;
  auto visit = [&](std::size_t i) {
    if (checked > kCheckBudget * (i + m)) return false;
    if (middle > 0) {
      const std::size_t same = mismatch(t + i + 1, p + 1, middle);
      checked += same + 1;
      if (same < middle) return true;
    }
    matches.add(i);
    return true;
  };
  const std::size_t stop = screen(Screen{t, n - m, m - 1, p[0], p[m - 1]}, visit);
  if (stop <= n - m) {
    kmpSearch(
        stop, n, m, [p](std::size_t j, std::size_t k) { return p[j] == p[k]; },
        [t, p](std::size_t i, std::size_t j) { return t[i] == p[j]; }, matches);
  }
}

void findNumbers(qxArray *text, qxArray *pattern, MatchList &matches) {
  if (!rowVectorsOrSameSize(text, pattern)) qxErrMsgTxt("%s", kNotRowVectors);
  if (qxGetNumberOfElements(pattern) > qxGetNumberOfElements(text)) return;
  const common::AsClass t(text, QX_CLASS_DOUBLE), p(pattern, QX_CLASS_DOUBLE);
  if (t.get() == nullptr || p.get() == nullptr) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  const bool complex = qxIsComplex(t.get());
  if (complex != (qxIsComplex(p.get()) != 0) || qxIsEmpty(t.get()) || qxIsEmpty(p.get())) return;
  const auto n = static_cast<std::size_t>(qxGetNumberOfElements(t.get()));
  const auto m = static_cast<std::size_t>(qxGetNumberOfElements(p.get()));
  const double *tr = qxGetPr(t.get()), *pr = qxGetPr(p.get());
  if (holdsNaN(pr, m)) return;
  if (!complex) {
    kmpSearch(
        0, n, m, [pr](std::size_t j, std::size_t k) { return pr[j] == pr[k]; },
        [tr, pr](std::size_t i, std::size_t j) { return tr[i] == pr[j]; }, matches);
    return;
  }
  const double *ti = qxGetPi(t.get()), *pi = qxGetPi(p.get());
  if (holdsNaN(pi, m)) return;
  kmpSearch(
      0, n, m, [pr, pi](std::size_t j, std::size_t k) { return pr[j] == pr[k] && pi[j] == pi[k]; },
      [tr, ti, pr, pi](std::size_t i, std::size_t j) { return tr[i] == pr[j] && ti[i] == pi[j]; }, matches);
}

}  // namespace zq::strings
