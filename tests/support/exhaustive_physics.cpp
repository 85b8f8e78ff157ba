#include "support/exhaustive_physics.h"

#include <cmath>

#include "simulation/simulation.h"
#include "simulation/wall_contact.h"

void frameAround(const std::function<void(unsigned)>& subStep) {
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

void exhaustiveUpdateFrame(std::vector<SubStepContacts>* contacts) {
  frameAround([&](unsigned) {
    SubStepContacts* seen = nullptr;  // recorded only when asked, so timing it times no allocation
    if (contacts != nullptr) {
      seen = &contacts->emplace_back();
    }
    const unsigned n = static_cast<unsigned>(balls.size());
    for (unsigned j = 0; j < n; ++j) {
      for (unsigned k = 0; k < n; ++k) {
        const double d2 = distanceSquared(balls[j].position, balls[k].position);
        if (k != j && d2 <= square(static_cast<double>(balls[j].radius + balls[k].radius))) {
          resolveBallCollision(j, k);
          if (seen != nullptr) {
            seen->pairs.insert(seen->pairs.end(), {j, k});
          }
        }
      }
    }
    for (unsigned i = 0; i < n; ++i) {
      balls[i].velocity += Vector2D(0.0, 0.005);  // gravity, as the program should have it
      if (seen != nullptr) {
        seen->wallStart.push_back(static_cast<unsigned>(seen->walls.size()));
      }
      for (unsigned w = 0; w < walls.size(); ++w) {
        if (resolveWallContact(balls[i], walls[w]) && seen != nullptr) {
          seen->walls.push_back(w);
        }
      }
      balls[i].position += balls[i].velocity;
      balls[i].velocity *= 0.999;
    }
    if (seen != nullptr) {
      seen->wallStart.push_back(static_cast<unsigned>(seen->walls.size()));
    }
  });
}
