#include <cmath>

#include "simulation/contact_grid.h"
#include "simulation/simulation.h"
#include "simulation/wall_contact.h"
#include "world/world.h"

namespace {
constexpr unsigned firstSpoke = 2;
constexpr unsigned spokeCount = 8;
// A full turn of 6.28 rather than 2*pi leaves a slightly wider gap between
// the last spoke and the first.
constexpr double fullTurn = 6.28;
constexpr double length = 100.0;
constexpr double spinPerFrame = 0.005;
constexpr unsigned subStepsPerFrame = 10;
constexpr double damping = 0.999;
// Below this many balls the exhaustive search is cheaper than building a grid.
constexpr unsigned gridThreshold = 24;

ContactGrid grid;
WallIndex wallIndex;

bool touches(unsigned j, unsigned k) {
  const double radiusSum = static_cast<double>(balls[j].radius + balls[k].radius);
  return distanceSquared(balls[j].position, balls[k].position) <= square(radiusSum);
}

// Visits every ordered touching pair (j, k), j ascending and, for each j, k
// ascending. Only velocities change here, so the touching set stays fixed for
// the whole pass and may be found up front.
void pairPass() {
  const unsigned count = static_cast<unsigned>(balls.size());
  if (count < gridThreshold) {
    for (unsigned j = 0; j < count; ++j) {
      for (unsigned k = 0; k < count; ++k) {
        if (k != j && touches(j, k)) {
          resolveBallCollision(j, k);
        }
      }
    }
    return;
  }
  grid.build(balls);
  for (unsigned j = 0; j < count; ++j) {
    for (unsigned k : grid.touching(j)) {
      resolveBallCollision(j, k);
    }
  }
}

void integrationPass() {
  for (unsigned i = 0; i < balls.size(); ++i) {
    balls[i].velocity += gravity;
    wallIndex.resolveContacts(balls[i], walls);
    balls[i].position += balls[i].velocity;
    balls[i].velocity *= damping;
  }
}
}  // namespace

void updateFrame() {
  const double spokeAngle = fullTurn / spokeCount;
  for (unsigned i = firstSpoke; i < firstSpoke + spokeCount; ++i) {
    const double angle = (i - firstSpoke) * spokeAngle + spinAngle;
    walls[i].end = walls[i].start + Vector2D(std::cos(angle), std::sin(angle)) * length;
  }
  spinAngle += spinPerFrame;
  balls[0].velocity += thrust;
  stepPhysics();
  thrust = Vector2D(0.0, 0.0);
}

void stepPhysics() {
  // Walls and ball sizes stay fixed for the whole run of sub-steps.
  wallIndex.build(walls, balls);
  for (unsigned step = 0; step < subStepsPerFrame; ++step) {
    pairPass();
    integrationPass();
  }
}
