#include <gtest/gtest.h>

#include <limits>

#include "app/controls.h"
#include "app/disc_pixels.h"
#include "support/world_fixture.h"

namespace {

using Controls = WorldTest;

TEST_F(Controls, ArrowKeysSetThrustComponents) {
  applyArrowKeys(false, true, true);
  EXPECT_EQ(thrust.x, 0.07);
  EXPECT_EQ(thrust.y, 0.0);
  thrust = Vector2D();
  applyArrowKeys(true, true, false);
  EXPECT_EQ(thrust.x, -0.07);
  EXPECT_EQ(thrust.y, -0.07);
  thrust = Vector2D();
  applyArrowKeys(false, false, false);
  EXPECT_EQ(thrust.x, 0.0);
  EXPECT_EQ(thrust.y, 0.0);
}

TEST_F(Controls, EachPressAddsOneBallAtThePointer) {
  for (int pass = 0; pass < 5; ++pass) {
    applyMouseButtons(1, 40, 50);
  }
  ASSERT_EQ(balls.size(), 1u);
  EXPECT_EQ(balls[0].radius, 12);
  EXPECT_EQ(balls[0].mass, 5.0);
  EXPECT_EQ(balls[0].position.x, 40.0);
  EXPECT_EQ(balls[0].position.y, 50.0);
  EXPECT_EQ(balls[0].velocity.y, 0.0);

  applyMouseButtons(0, 40, 50);
  applyMouseButtons(1, 41, 51);
  EXPECT_EQ(balls.size(), 2u);

  // Both buttons first seen in one pass: the big ball comes first.
  applyMouseButtons(0, 0, 0);
  applyMouseButtons(3, 7, 8);
  ASSERT_EQ(balls.size(), 4u);
  EXPECT_EQ(balls[2].radius, 12);
  EXPECT_EQ(balls[3].radius, 6);
  EXPECT_EQ(balls[3].mass, 1.0);
  EXPECT_EQ(balls[3].position.x, 7.0);
}

}  // namespace

namespace {

using DiscPixels = WorldTest;

TEST_F(DiscPixels, CentresTruncateTowardZero) {
  int x = -1, y = -1;
  ASSERT_TRUE(discPixelCentre(Ball(Vector2D(99.9, 30.5), Vector2D(), 12, 5.0), 800, 600, x, y));
  EXPECT_EQ(x, 99);
  EXPECT_EQ(y, 30);
  ASSERT_TRUE(discPixelCentre(Ball(Vector2D(-0.5, 599.9), Vector2D(), 6, 1.0), 800, 600, x, y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 599);
}

TEST_F(DiscPixels, OnlyDiscsThatCanShowAreConverted) {
  int x = 0, y = 0;
  // Edge pixels of the disc still show.
  EXPECT_TRUE(discPixelCentre(Ball(Vector2D(-16.9, 300), Vector2D(), 16, 1.0), 800, 600, x, y));
  EXPECT_TRUE(discPixelCentre(Ball(Vector2D(815.7, 300), Vector2D(), 16, 1.0), 800, 600, x, y));
  EXPECT_TRUE(discPixelCentre(Ball(Vector2D(400, 615.2), Vector2D(), 16, 1.0), 800, 600, x, y));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double outside[][2] = {{-17.0, 300}, {816, 300},     {400, 616},  {400, -17},
                               {400, 3e9},   {1e300, 1e300}, {-1e300, 5}, {nan, 5}};
  for (const auto& p : outside) {
    EXPECT_FALSE(discPixelCentre(Ball(Vector2D(p[0], p[1]), Vector2D(), 16, 1.0), 800, 600, x, y))
        << p[0] << ", " << p[1];
  }
}

}  // namespace
