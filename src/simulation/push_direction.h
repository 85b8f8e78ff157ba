#pragma once

#include "geometry/vector2d.h"

// The direction of a penalty push along an offset, split into magnitudes and
// signs: repelForce holds the absolute components divided by the offset's
// Manhattan length |dx| + |dy|, so no square root is needed, and repelDirection
// their signs (+1 or -1; a zero component, even -0, counts as positive). An
// offset whose Manhattan length is 0.01 or less has no usable direction:
// repelForce is then (0, 0) and the push vanishes.
//
// Written with selects rather than branches, since the signs of the offsets
// of a crowd are as good as random; each selected value is rounded exactly as
// the branch would round it.
struct PushDirection {
  Vector2D repelForce;
  Vector2D repelDirection;
};

inline PushDirection pushDirection(const Vector2D& lineSegment) {
  const bool negativeX = lineSegment.x < 0.0;
  const bool negativeY = lineSegment.y < 0.0;
  const double x = negativeX ? lineSegment.x * -1.0 : lineSegment.x;
  const double y = negativeY ? lineSegment.y * -1.0 : lineSegment.y;
  const double manhattanLength = x + y;
  const bool hasDirection = manhattanLength > 0.01;
  return PushDirection{
      Vector2D(hasDirection ? x / manhattanLength : 0.0, hasDirection ? y / manhattanLength : 0.0),
      Vector2D(negativeX ? -1.0 : 1.0, negativeY ? -1.0 : 1.0)};
}
