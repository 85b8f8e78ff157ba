#pragma once

#include "geometry/vector2d.h"

// The direction of a penalty push along an offset, split into magnitudes and
// signs: repelForce holds the absolute components divided by the offset's
// Manhattan length |dx| + |dy|, so no square root is needed, and repelDirection
// their signs (+1 or -1; a zero component counts as positive). An offset whose
// Manhattan length is 0.01 or less has no usable direction: repelForce is then
// (0, 0) and the push vanishes.
struct PushDirection {
  Vector2D repelForce;
  Vector2D repelDirection;
};

inline PushDirection pushDirection(Vector2D lineSegment) {
  PushDirection push{Vector2D(0.0, 0.0), Vector2D(1.0, 1.0)};
  if (lineSegment.x < 0.0) {
    push.repelDirection.x = -1.0;
    lineSegment.x = lineSegment.x * -1.0;
  }
  if (lineSegment.y < 0.0) {
    push.repelDirection.y = -1.0;
    lineSegment.y = lineSegment.y * -1.0;
  }
  const double manhattanLength = lineSegment.x + lineSegment.y;
  if (manhattanLength > 0.01) {
    push.repelForce = lineSegment / manhattanLength;
  }
  return push;
}
