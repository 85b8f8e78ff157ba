#include "support/exhaustive_physics.h"

#include <cmath>

#include "simulation/simulation.h"
#include "simulation/wall_contact.h"
#include "world/world.h"

namespace {
void exhaustiveStepPhysics() {
  for (int step = 0; step < 10; ++step) {
    const unsigned n = static_cast<unsigned>(balls.size());
    for (unsigned j = 0; j < n; ++j) {
      for (unsigned k = 0; k < n; ++k) {
        if (k == j) {
          continue;
        }
        const double d2 = distanceSquared(balls[j].position, balls[k].position);
        const double r = static_cast<double>(balls[j].radius + balls[k].radius);
        if (d2 <= square(r)) {
          resolveBallCollision(j, k);
        }
      }
    }
    for (unsigned i = 0; i < n; ++i) {
      balls[i].velocity += gravity;
      for (unsigned w = 0; w < walls.size(); ++w) {
        resolveWallContact(balls[i], walls[w]);
      }
      balls[i].position += balls[i].velocity;
      balls[i].velocity *= 0.999;
    }
  }
}
}  // namespace

void exhaustiveUpdateFrame() {
  for (unsigned i = 2; i < 10; ++i) {
    const double angle = (i - 2) * (6.28 / 8) + spinAngle;
    walls[i].end = walls[i].start + Vector2D(std::cos(angle), std::sin(angle)) * 100.0;
  }
  spinAngle += 0.005;
  balls[0].velocity += thrust;
  exhaustiveStepPhysics();
  thrust = Vector2D(0.0, 0.0);
}
