#include <cmath>
#include <vector>

#include "simulation/contact_search.h"
#include "simulation/pair_pushes.h"
#include "simulation/simulation.h"
#include "simulation/touching_pairs.h"
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

BallLists& ballLists = contactSearch.balls;
WallLists& wallLists = contactSearch.walls;

std::vector<TouchingPair> touching;  // one pair pass's touching pairs

// Each ball's pushes in ascending order of the ball that pushes it, as a loop
// over every ordered pair gives them: a push changes only the pushed ball's
// velocity, and pairs are taken in ascending order of their lower ball, then
// of their upper one. So by the time ball i pushes the balls above it, each of
// them has had its pushes from below i, and those from above i are yet to come.
void pairPass() {
  ballLists.refresh(balls);
  // Stage 1: the touching pairs.
  const std::size_t count = findTouchingPairs(balls, ballLists, touching);
  // Stage 2: the pushes, in one pass over all the pairs, as no ball's pushes
  // then wait for the end of another's loop. Working the distance out again
  // costs less than keeping it.
  pushTouchingPairs(balls, touching.data(), count);
}

void integrationPass() {
  for (unsigned i = 0; i < balls.size(); ++i) {
    Ball& ball = balls[i];
    ball.velocity += gravity;
    const std::uint32_t* end;
    for (const std::uint32_t* w = wallLists.near(i, ball, walls, end); w != end; ++w) {
      resolveWallContact(ball, walls[*w]);
    }
    ball.position += ball.velocity;
    ball.velocity *= damping;
    ballLists.moved(i, ball.position);
  }
}
}  // namespace

ContactSearch contactSearch;

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
