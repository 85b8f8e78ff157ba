#pragma once

#include "simulation/push_direction.h"
#include "world/world.h"

namespace ball_contact {
constexpr double stiffness = 0.002;
constexpr double contactDamping = 0.999;

// What a push takes off the velocity of the ball at position, of the given
// mass, from the other ball at otherPosition: the offset normalised by its
// Manhattan length, scaled by the overlap of the squared distances and the
// stiffness, divided by the mass. Centres (almost) on top of each other give
// no direction to push along.
inline Vector2D pushOf(const Vector2D& position, const Vector2D& otherPosition, double mass,
                       double overlap) {
  return (pushDirection(position - otherPosition) * overlap * stiffness) / mass;
}
}  // namespace ball_contact

// A penalty push rather than a bounce: it grows with the overlap of the squared
// distances and points along the offset normalised by its Manhattan length, so
// no square root is needed. Changes only pushed.velocity; the other ball gets
// its own push from the reverse call. distanceSquared is that of the two
// centres, pushed first, which the contact test has already worked out.
inline void pushAway(Ball& pushed, const Vector2D& otherPosition, int otherRadius,
                     double distanceSquared) {
  using namespace ball_contact;
  const double radiusSum = static_cast<double>(pushed.radius + otherRadius);
  const double overlap = distanceSquared - square(radiusSum);
  pushed.velocity -= pushOf(pushed.position, otherPosition, pushed.mass, overlap);
  pushed.velocity *= contactDamping;
}

// Pushes ball a away from ball b, which it touches; changes only a's velocity.
inline void resolveBallCollision(unsigned a, unsigned b) {
  pushAway(balls[a], balls[b].position, balls[b].radius,
           distanceSquared(balls[a].position, balls[b].position));
}
