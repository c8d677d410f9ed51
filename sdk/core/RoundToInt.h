#pragma once

#include <climits>
#include <cmath>

// The SDK's rounding: n = nearest integer to 2x + 0.5 (ties to even), result
// n >> 1. Values out of range give INT_MIN, the integer-indefinite value of
// the x87 conversion this rounding comes from.
inline int RoundToInt(double x) {
  double twice = std::nearbyint(2.0 * x + 0.5);
  if (!(twice >= -4294967296.0 && twice <= 4294967295.0)) return INT_MIN;
  return static_cast<int>(static_cast<long long>(twice) >> 1);
}
