#pragma once

#include <cstring>
#include <vector>

#include "world/world.h"

// Bit-pattern equality, so NaN equals NaN and -0.0 differs from 0.0.
inline bool sameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

inline bool sameBits(const Vector2D& a, const Vector2D& b) {
  return sameBits(a.x, b.x) && sameBits(a.y, b.y);
}

inline bool sameBits(const std::vector<Ball>& a, const std::vector<Ball>& b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!sameBits(a[i].position, b[i].position) || !sameBits(a[i].velocity, b[i].velocity)) {
      return false;
    }
  }
  return true;
}
