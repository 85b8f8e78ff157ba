#include <cmath>
#include <vector>

#include "simulation/ball_lists.h"
#include "simulation/simulation.h"
#include "simulation/wall_contact.h"
#include "simulation/wall_lists.h"
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

BallLists ballLists;
WallLists wallLists;

struct Touching {
  unsigned index;
  double distanceSquared;
};
std::vector<Touching> touching;  // one pair pass's partners of one ball

// Every ordered touching pair (j, k), and for each j every k in ascending
// order, as a loop over all pairs would visit them. A push changes only the
// pushed ball's velocity, so the pushes of one j depend on no other j's.
void pairPass() {
  ballLists.refresh(balls);
  touching.resize(balls.size() + 1);
  for (unsigned j = 0; j < balls.size(); ++j) {
    Ball& ball = balls[j];
    // Whether a candidate touches is as good as random, which a branch would
    // pay for: each is written, and kept by moving on past it if it touches.
    std::size_t count = 0;
    for (auto k = ballLists.partnersBegin(j); k != ballLists.partnersEnd(j); ++k) {
      const Ball& other = balls[*k];
      const double d2 = distanceSquared(ball.position, other.position);
      touching[count] = Touching{*k, d2};
      count += d2 <= square(static_cast<double>(ball.radius + other.radius));
    }
    for (std::size_t t = 0; t < count; ++t) {
      const Ball& other = balls[touching[t].index];
      pushAway(ball, other.position, other.radius, touching[t].distanceSquared);
    }
  }
}

void integrationPass() {
  ballLists.advance(gravity);
  for (unsigned i = 0; i < balls.size(); ++i) {
    Ball& ball = balls[i];
    ball.velocity += gravity;
    for (unsigned w : wallLists.near(i, ball, walls)) {
      resolveWallContact(ball, walls[w]);
    }
    ball.position += ball.velocity;
    ball.velocity *= damping;
    ballLists.moved(i, ball.position);
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
  // Walls, radii and the ball count stay fixed for the whole run of sub-steps.
  ballLists.prepare(balls);
  wallLists.prepare(walls, balls.size());
  for (unsigned step = 0; step < subStepsPerFrame; ++step) {
    pairPass();
    integrationPass();
  }
}
