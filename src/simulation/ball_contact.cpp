#include "simulation/push_direction.h"
#include "simulation/simulation.h"
#include "world/world.h"

namespace {
constexpr double stiffness = 0.002;
constexpr double contactDamping = 0.999;
}  // namespace

// A penalty push rather than a bounce: it grows with the overlap of the squared
// distances and points along the offset normalised by its Manhattan length, so
// no square root is needed. The reverse call gives ball b its own push.
void resolveBallCollision(unsigned a, unsigned b) {
  Ball& pushed = balls[a];
  const Ball& other = balls[b];

  // Centres (almost) on top of each other give no direction to push along.
  auto [repelForce, repelDirection] = pushDirection(pushed.position - other.position);
  repelForce *= repelDirection;

  const double d2 = distanceSquared(pushed.position, other.position);
  const double radiusSum = static_cast<double>(pushed.radius + other.radius);
  const double overlap = d2 - square(radiusSum);
  repelForce = repelForce * overlap;

  pushed.velocity -= (repelForce * stiffness) / pushed.mass;
  pushed.velocity *= contactDamping;
}
