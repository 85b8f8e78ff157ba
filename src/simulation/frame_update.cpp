#include <cmath>

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

bool touches(unsigned j, unsigned k) {
  const double radiusSum = static_cast<double>(balls[j].radius + balls[k].radius);
  return distanceSquared(balls[j].position, balls[k].position) <= square(radiusSum);
}

// Every ordered touching pair (j, k), j ascending and, for each j, k ascending,
// as a loop over all pairs would visit them; the lists hold every touching k.
void pairPass() {
  ballLists.refreshPartners(balls);
  for (unsigned j = 0; j < balls.size(); ++j) {
    for (unsigned k : ballLists.partners(j)) {
      if (touches(j, k)) {
        resolveBallCollision(j, k);
      }
    }
  }
}

void integrationPass() {
  ballLists.advanceDrift(balls, gravity);
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
  // Walls stay fixed for the whole run of sub-steps, and only positions change.
  const bool radiiChanged = ballLists.prepare(balls);
  wallLists.prepare(walls, balls.size(), radiiChanged);
  for (unsigned step = 0; step < subStepsPerFrame; ++step) {
    pairPass();
    integrationPass();
  }
}
