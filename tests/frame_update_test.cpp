#include <gtest/gtest.h>

#include <cmath>

#include "app/scene.h"
#include "simulation/simulation.h"
#include "support/world_fixture.h"

namespace {

// The real arena with ball 0 moved to open space, where it touches nothing.
class FrameUpdate : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    buildScene();
    balls.erase(balls.begin() + 1, balls.end());
    balls[0].position = Vector2D(600, 200);
  }
};

TEST_F(FrameUpdate, FreeBallFallsUnderGravityAndDamping) {
  updateFrame();
  EXPECT_NEAR(balls[0].position.y - 200.0, 0.2741766, 1e-7);
  EXPECT_NEAR(balls[0].velocity.y, 0.0497258, 1e-7);
  EXPECT_EQ(balls[0].position.x, 600.0);
  EXPECT_EQ(gravity.y, 0.005);
}

TEST_F(FrameUpdate, SpokesStandOnTheWheelFromTheFirstFrame) {
  updateFrame();
  EXPECT_NEAR(walls[2].end.x, 400.0, 1e-9);
  EXPECT_NEAR(walls[2].end.y, 210.0, 1e-9);
  EXPECT_NEAR(walls[4].end.x, 300.0796, 1e-4);
  EXPECT_NEAR(walls[4].end.y, 309.99997, 1e-5);
  EXPECT_NEAR(walls[6].end.x, 200.00013, 1e-5);
  EXPECT_NEAR(walls[6].end.y, 210.15927, 1e-5);
  for (unsigned i = 2; i < 10; ++i) {
    EXPECT_EQ(walls[i].start.x, 300.0);
    EXPECT_EQ(walls[i].start.y, 210.0);
    EXPECT_NEAR(std::sqrt(distanceSquared(walls[i].start, walls[i].end)), 100.0, 1e-9);
  }
  // The wheel turns by 0.005 per frame, accumulated by repeated addition.
  double expected = 0.005;
  for (int frame = 1; frame < 50; ++frame) {
    updateFrame();
    expected += 0.005;
  }
  EXPECT_EQ(spinAngle, expected);
  EXPECT_NEAR(std::atan2(walls[2].end.y - 210.0, walls[2].end.x - 300.0), 49 * 0.005, 1e-9);
}

TEST_F(FrameUpdate, ThrustActsOncePerFrameAndIsCleared) {
  thrust = Vector2D(0.07, -0.07);
  updateFrame();
  EXPECT_EQ(thrust.x, 0.0);
  EXPECT_EQ(thrust.y, 0.0);
  EXPECT_NEAR(balls[0].velocity.x, 0.07 * std::pow(0.999, 10), 1e-15);
  updateFrame();
  EXPECT_NEAR(balls[0].velocity.x, 0.07 * std::pow(0.999, 20), 1e-15);
}

// Balls that just touch get no push, but each is passed to the contact response
// once as the pushed ball, which damps it once more per sub-step.
TEST_F(FrameUpdate, TouchingPairIsVisitedInBothOrders) {
  addBall(600, 300, 6);
  addBall(612, 300, 6);
  addBall(700, 300, 16);
  updateFrame();
  EXPECT_EQ(balls[1].velocity.y, balls[2].velocity.y);
  EXPECT_LT(balls[1].velocity.y, balls[3].velocity.y);
  EXPECT_EQ(balls[3].velocity.y, balls[0].velocity.y);
  EXPECT_EQ(balls[1].velocity.x, 0.0);
  EXPECT_EQ(balls[2].velocity.x, 0.0);
}

}  // namespace
