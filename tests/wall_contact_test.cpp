#include <gtest/gtest.h>

#include "simulation/simulation.h"
#include "support/world_fixture.h"

namespace {

class WallContact : public WorldTest {
 protected:
  void addWall(double sx, double sy, double ex, double ey) {
    walls.push_back(Wall(Vector2D(sx, sy), Vector2D(ex, ey)));
  }
  // Velocity of a ball at rest (or moving at v) after one call.
  Vector2D velocityAfter(double x, double y, int radius, Vector2D v = Vector2D()) {
    const unsigned i = addBall(x, y, radius);
    balls[i].velocity = v;
    resolveWallCollisions(i);
    return balls[i].velocity;
  }
};

TEST_F(WallContact, BallExactlyOneRadiusAwayIsUntouched) {
  addWall(10, 10, 790, 10);
  const Vector2D v = velocityAfter(400, 26, 16, Vector2D(0.3, -0.7));
  EXPECT_EQ(v.x, 0.3);
  EXPECT_EQ(v.y, -0.7);
}

TEST_F(WallContact, HorizontalWallPushesStraightOut) {
  addWall(10, 10, 790, 10);
  const Vector2D atRest = velocityAfter(400, 20, 16);
  EXPECT_DOUBLE_EQ(atRest.x, 0.0);
  EXPECT_DOUBLE_EQ(atRest.y, 8.9856);
  const Vector2D moving = velocityAfter(400, 20, 16, Vector2D(1, -2));
  EXPECT_DOUBLE_EQ(moving.x, 0.96);
  EXPECT_DOUBLE_EQ(moving.y, 7.0656);
}

TEST_F(WallContact, VerticalWallTakesTheSteepCase) {
  addWall(10, 10, 10, 590);
  const Vector2D v = velocityAfter(20, 300, 16);
  EXPECT_DOUBLE_EQ(v.x, 8.9856);
  EXPECT_DOUBLE_EQ(v.y, 0.0);
}

TEST_F(WallContact, NearestPointIsBoundedToTheSegment) {
  addWall(55, 400, 740, 500);
  const Vector2D beyondEnd = velocityAfter(750, 505, 16);
  EXPECT_NEAR(beyondEnd.x, 5.0304, 1e-12);
  EXPECT_NEAR(beyondEnd.y, 2.5152, 1e-12);

  walls.clear();
  addWall(0, 100, 100, 100);
  // The push follows the offset (3, 4) divided by its L1 length, not its length.
  const Vector2D pastCorner = velocityAfter(103, 104, 6);
  EXPECT_NEAR(pastCorner.x, 0.96 * 0.06 * 11 * 3 / 7, 1e-12);
  EXPECT_NEAR(pastCorner.y, 0.96 * 0.06 * 11 * 4 / 7, 1e-12);
}

TEST_F(WallContact, FortyFiveDegreeWallIsBoundedInY) {
  addWall(0, 0, 100, 100);
  const Vector2D v = velocityAfter(50, 40, 10);
  EXPECT_NEAR(v.x, 1.44, 1e-12);
  EXPECT_NEAR(v.y, -1.44, 1e-12);
}

TEST_F(WallContact, CornerAppliesContactsInWallOrderAndIgnoresMass) {
  addWall(10, 10, 790, 10);
  addWall(10, 10, 10, 590);
  const Vector2D v = velocityAfter(20, 20, 16);
  EXPECT_DOUBLE_EQ(v.x, 8.9856);
  EXPECT_DOUBLE_EQ(v.y, 8.626176);

  const unsigned heavy = addBall(20, 20, 16, 50.0);
  resolveWallCollisions(heavy);
  EXPECT_EQ(balls[heavy].velocity.x, v.x);
  EXPECT_EQ(balls[heavy].velocity.y, v.y);
}

// A centre on the wall gives no direction: the contact pushes nothing and only
// damps, even when an earlier wall of the same call did push.
TEST_F(WallContact, CentreOnTheWallOnlyDamps) {
  addWall(100, 0, 100, 300);
  const Vector2D alone = velocityAfter(100, 110, 16, Vector2D(1, -2));
  EXPECT_DOUBLE_EQ(alone.x, 0.96);
  EXPECT_DOUBLE_EQ(alone.y, -1.92);

  walls.clear();
  addWall(0, 100, 200, 100);
  addWall(100, 0, 100, 300);
  const Vector2D afterPush = velocityAfter(100, 110, 16);
  EXPECT_DOUBLE_EQ(afterPush.x, 0.0);
  EXPECT_DOUBLE_EQ(afterPush.y, 8.9856 * 0.96);
}

TEST_F(WallContact, WallWithoutDirectionNeverTouches) {
  addWall(100, 100, 100, 100);
  addWall(100, 100, 100.2, 100);
  const Vector2D v = velocityAfter(100, 100, 16, Vector2D(1, -2));
  EXPECT_EQ(v.x, 1.0);
  EXPECT_EQ(v.y, -2.0);
}

}  // namespace
