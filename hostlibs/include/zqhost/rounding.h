// The host's one rule for turning a double into an integer class: round
// half away from zero, saturate at the class's limits, NaN to 0. Used by
// class conversion (libqx) and by integers written to files (libut).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace zqhost {

// Written so that loops over it vectorise: every limit of an integer type of
// up to 32 bits is an exact double, so rounding is one addition (of the
// largest double below 0.5, which carries exact halves up and everything
// below them down), a clamp and a truncation.
template <typename T>
inline T roundSaturated(double x) {
  static_assert(std::is_integral_v<T> && sizeof(T) <= 4);
  constexpr double kLowest = static_cast<double>(std::numeric_limits<T>::min());
  constexpr double kHighest = static_cast<double>(std::numeric_limits<T>::max());
  double r = x + std::copysign(0.49999999999999994, x);
  r = r < kLowest ? kLowest : r;
  r = r > kHighest ? kHighest : r;
  r = x == x ? r : 0.0;
  // The truncation goes through the narrowest signed type that holds the
  // class, which has packed instructions.
  using Whole = std::conditional_t<std::is_same_v<T, uint32_t>, int64_t, int32_t>;
  return static_cast<T>(static_cast<Whole>(r));
}

}  // namespace zqhost
