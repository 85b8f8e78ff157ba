#include "support/exhaustive_physics.h"

#include <cmath>

#include "simulation/simulation.h"
#include "simulation/wall_contact.h"
#include "world/world.h"

namespace {
template <typename SubStep>
void frame(SubStep subStep) {
  for (unsigned i = 2; i < 10; ++i) {
    const double angle = (i - 2) * (6.28 / 8) + spinAngle;
    walls[i].end = walls[i].start + Vector2D(std::cos(angle), std::sin(angle)) * 100.0;
  }
  spinAngle += 0.005;
  balls[0].velocity += thrust;
  for (unsigned step = 0; step < 10; ++step) {
    subStep(step);
  }
  thrust = Vector2D(0.0, 0.0);
}

void integrate(Ball& ball) {
  ball.position += ball.velocity;
  ball.velocity *= 0.999;
}
}  // namespace

void exhaustiveUpdateFrame(std::vector<SubStepContacts>* contacts) {
  frame([&](unsigned) {
    SubStepContacts seen;
    const bool record = contacts != nullptr;
    const unsigned n = static_cast<unsigned>(balls.size());
    for (unsigned j = 0; j < n; ++j) {
      for (unsigned k = 0; k < n; ++k) {
        const double d2 = distanceSquared(balls[j].position, balls[k].position);
        if (k != j && d2 <= square(static_cast<double>(balls[j].radius + balls[k].radius))) {
          resolveBallCollision(j, k);
          if (record) {
            seen.pairs.insert(seen.pairs.end(), {j, k});
          }
        }
      }
    }
    for (unsigned i = 0; i < n; ++i) {
      balls[i].velocity += gravity;
      if (record) {
        seen.wallStart.push_back(static_cast<unsigned>(seen.walls.size()));
      }
      for (unsigned w = 0; w < walls.size(); ++w) {
        if (resolveWallContact(balls[i], walls[w]) && record) {
          seen.walls.push_back(w);
        }
      }
      integrate(balls[i]);
    }
    if (record) {
      seen.wallStart.push_back(static_cast<unsigned>(seen.walls.size()));
      contacts->push_back(seen);
    }
  });
}

void replayFrame(const SubStepContacts* contacts) {
  frame([&](unsigned step) {
    const SubStepContacts& seen = contacts[step];
    for (std::size_t p = 0; p < seen.pairs.size(); p += 2) {
      resolveBallCollision(seen.pairs[p], seen.pairs[p + 1]);
    }
    for (unsigned i = 0; i < balls.size(); ++i) {
      balls[i].velocity += gravity;
      for (unsigned w = seen.wallStart[i]; w < seen.wallStart[i + 1]; ++w) {
        resolveWallContact(balls[i], walls[seen.walls[w]]);
      }
      integrate(balls[i]);
    }
  });
}
