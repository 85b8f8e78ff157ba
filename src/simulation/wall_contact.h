#pragma once

#include <cmath>

#include "simulation/push_direction.h"
#include "world/world.h"

namespace wall_contact {
constexpr double pushGain = 0.06;
constexpr double contactDamping = 0.96;

// The line through start with the given slope, parametrised by its first
// coordinate. The shallow case uses it as is, the steep case with x and y swapped.
inline double alongLine(double u, double startU, double startV, double slope) {
  return (u - startU) * slope + startV;
}

// Foot of the perpendicular from (pu, pv), moved onto the segment's bounded
// coordinate range if it falls outside. Returns (u, v) in the same frame.
inline void nearestInFrame(double su, double sv, double eu, double pu, double pv, double slope,
                           double& u, double& v) {
  const double slopeSquared = square(slope);
  u = (slopeSquared * su + pu + pv * slope - sv * slope) / (slopeSquared + 1.0);
  v = alongLine(u, su, sv, slope);
  const double upper = su > eu ? su : eu;
  const double lower = su > eu ? eu : su;
  if (u < lower) {
    u = lower;
    v = alongLine(u, su, sv, slope);
  }
  if (u > upper) {
    u = upper;
    v = alongLine(u, su, sv, slope);
  }
}

// False for a wall with no usable direction (a point, or a horizontal sliver
// too short for a slope): its nearest point is undefined and it touches nothing.
inline bool nearestPoint(const Wall& wall, const Vector2D& centre, Vector2D& xy) {
  const double sx = wall.start.x, sy = wall.start.y;
  const double ex = wall.end.x, ey = wall.end.y;
  double slope = 10.0;  // sends near-vertical walls to the steep case
  if (square(ex - sx) > 0.1) {
    slope = (ey - sy) / (ex - sx);
  }
  if (square(slope) < 1.0) {
    nearestInFrame(sx, sy, ex, centre.x, centre.y, slope, xy.x, xy.y);
    return true;
  }
  slope = (ex - sx) / (ey - sy);
  if (!std::isfinite(square(slope))) {
    return false;
  }
  nearestInFrame(sy, sx, ey, centre.y, centre.x, slope, xy.y, xy.x);
  return true;
}
}  // namespace wall_contact

// One wall's contact with one ball: finds the point of the segment nearest to
// the centre and, if it lies strictly inside the disc, pushes the ball's
// velocity away from it and damps it. Changes nothing but ball.velocity, and
// says whether the wall touched the ball. Inline, as it runs for every ball
// near a wall in every sub-step.
inline bool resolveWallContact(Ball& ball, const Wall& wall) {
  using namespace wall_contact;
  const double radiusSquared = square(static_cast<double>(ball.radius));
  Vector2D xy;
  if (!nearestPoint(wall, ball.position, xy)) {
    return false;
  }
  const double d2 = distanceSquared(xy, ball.position);
  if (!(d2 < radiusSquared)) {
    return false;
  }
  // A centre lying on the wall gives no direction: that contact pushes nothing
  // and only damps.
  Vector2D repelForce = pushDirection(ball.position - xy);
  const double overlap = distanceSquared(ball.position, xy) - radiusSquared;
  repelForce *= overlap;
  ball.velocity -= repelForce * pushGain;
  ball.velocity *= contactDamping;
  return true;
}
