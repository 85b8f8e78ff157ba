#pragma once

#include <cmath>

#include "geometry/vector2d.h"

// The direction of a penalty push: the offset divided by its Manhattan length
// |dx| + |dy|, so no square root is needed. An offset whose Manhattan length is
// 0.01 or less has no usable direction and gives (0, 0), a component being -0
// where the offset's is negative.
//
// This is the push direction taken apart into magnitudes and signs (+1 or -1, a
// zero component counting as positive) and put back together, double for
// double: dividing the offset itself rounds as dividing its magnitude and
// restoring the sign does, and |dx| + |dy| is the same sum whenever it exceeds
// 0.01. Both quotients are worked out and one is selected, so that the
// compiler emits masks rather than jumps on the signs, which in a crowd are as
// good as random.
inline Vector2D pushDirection(const Vector2D& offset) {
  const double manhattanLength = std::fabs(offset.x) + std::fabs(offset.y);
  const bool hasDirection = manhattanLength > 0.01;
  const double x = offset.x / manhattanLength;
  const double y = offset.y / manhattanLength;
  const double noX = offset.x < 0.0 ? -0.0 : 0.0;
  const double noY = offset.y < 0.0 ? -0.0 : 0.0;
  return Vector2D(hasDirection ? x : noX, hasDirection ? y : noY);
}
