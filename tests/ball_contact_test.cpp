#include <gtest/gtest.h>

#include "simulation/simulation.h"
#include "support/world_fixture.h"

namespace {

using BallContact = WorldTest;

TEST_F(BallContact, PushesAlongAnAxisAwayFromTheOtherBall) {
  const unsigned a = addBall(100, 100, 6, 1.0);
  const unsigned b = addBall(110, 100, 6, 1.0);
  resolveBallCollision(a, b);
  EXPECT_DOUBLE_EQ(balls[a].velocity.x, -0.087912);
  EXPECT_EQ(balls[a].velocity.y, 0.0);
  // Only the pushed ball's velocity changes.
  EXPECT_EQ(balls[b].velocity.x, 0.0);
  EXPECT_EQ(balls[b].velocity.y, 0.0);
  EXPECT_EQ(balls[a].position.x, 100.0);
  EXPECT_EQ(balls[b].position.x, 110.0);
}

TEST_F(BallContact, DiagonalPushIsDividedByMass) {
  const unsigned a = addBall(100, 100, 6, 5.0);
  const unsigned b = addBall(106, 106, 6, 5.0);
  resolveBallCollision(a, b);
  EXPECT_NEAR(balls[a].velocity.x, -0.0143856, 1e-12);
  EXPECT_NEAR(balls[a].velocity.y, -0.0143856, 1e-12);
}

TEST_F(BallContact, ReverseCallGivesEqualAndOppositeMomentum) {
  const unsigned light = addBall(100, 100, 6, 1.0);
  const unsigned heavy = addBall(104, 107, 12, 5.0);
  resolveBallCollision(light, heavy);
  resolveBallCollision(heavy, light);
  const double lightPush = balls[light].velocity.x / 0.999 * 1.0;
  const double heavyPush = balls[heavy].velocity.x / 0.999 * 5.0;
  EXPECT_LT(lightPush, 0.0);
  EXPECT_NEAR(lightPush, -heavyPush, 1e-12);
}

TEST_F(BallContact, NoDirectionOrNoOverlapOnlyDamps) {
  const unsigned coincident = addBall(50, 50, 6);
  addBall(50, 50, 6);
  const unsigned nearlyCoincident = addBall(200, 200, 6);
  addBall(200.004, 199.995, 6);
  const unsigned justTouching = addBall(300, 300, 6);
  addBall(312, 300, 6);
  for (unsigned ball : {coincident, nearlyCoincident, justTouching}) {
    balls[ball].velocity = Vector2D(1.0, -2.0);
    resolveBallCollision(ball, ball + 1);
    EXPECT_EQ(balls[ball].velocity.x, 0.999) << "ball " << ball;
    EXPECT_EQ(balls[ball].velocity.y, -1.998) << "ball " << ball;
  }
}

}  // namespace
