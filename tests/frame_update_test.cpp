#include <gtest/gtest.h>

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

// Gravity, then the move, then the damping, ten times a frame. (The contact
// search tests hold the rest of the frame to the exhaustive search.)
TEST_F(FrameUpdate, FreeBallFallsUnderGravityAndDamping) {
  updateFrame();
  EXPECT_NEAR(balls[0].position.y - 200.0, 0.2741766, 1e-7);
  EXPECT_NEAR(balls[0].velocity.y, 0.0497258, 1e-7);
  EXPECT_EQ(balls[0].position.x, 600.0);
}

}  // namespace
