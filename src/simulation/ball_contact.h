#pragma once

#include "simulation/push_direction.h"
#include "world/world.h"

// A penalty push rather than a bounce: it grows with the overlap of the squared
// distances and points along the offset normalised by its Manhattan length, so
// no square root is needed. Changes only pushed.velocity; the other ball gets
// its own push from the reverse call. distanceSquared is that of the two
// centres, pushed first, which the contact test has already worked out.
inline void pushAway(Ball& pushed, const Vector2D& otherPosition, int otherRadius,
                     double distanceSquared) {
  constexpr double stiffness = 0.002;
  constexpr double contactDamping = 0.999;
  // Centres (almost) on top of each other give no direction to push along.
  Vector2D repelForce = pushDirection(pushed.position - otherPosition);
  const double radiusSum = static_cast<double>(pushed.radius + otherRadius);
  const double overlap = distanceSquared - square(radiusSum);
  repelForce = repelForce * overlap;
  pushed.velocity -= (repelForce * stiffness) / pushed.mass;
  pushed.velocity *= contactDamping;
}

// Pushes ball a away from ball b, which it touches; changes only a's velocity.
inline void resolveBallCollision(unsigned a, unsigned b) {
  pushAway(balls[a], balls[b].position, balls[b].radius,
           distanceSquared(balls[a].position, balls[b].position));
}
