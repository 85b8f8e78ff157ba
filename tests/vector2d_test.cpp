#include "geometry/vector2d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Vector2D, CompoundAssignmentReturnsACopy) {
  Vector2D a(1.0, 1.0);
  const Vector2D chained = (a += Vector2D(1.0, 2.0)) *= 2.0;
  EXPECT_EQ(a.x, 2.0);
  EXPECT_EQ(a.y, 3.0);
  EXPECT_EQ(chained.x, 4.0);
  EXPECT_EQ(chained.y, 6.0);

  Vector2D c(3.0, 4.0);
  (c *= Vector2D(1.0, -1.0)) -= Vector2D(100.0, 100.0);
  EXPECT_EQ(c.x, 3.0);
  EXPECT_EQ(c.y, -4.0);
  Vector2D& alias = c;
  (c = alias) = Vector2D();
  EXPECT_EQ(c.y, -4.0);
}

TEST(Vector2D, DivisionByZeroFollowsIeeeRules) {
  const Vector2D infinite = Vector2D(2.0, -3.0) / 0.0;
  EXPECT_EQ(infinite.x, std::numeric_limits<double>::infinity());
  EXPECT_EQ(infinite.y, -std::numeric_limits<double>::infinity());
  const Vector2D undefined = Vector2D() / 0.0;
  EXPECT_TRUE(std::isnan(undefined.x));
  EXPECT_TRUE(std::isnan(undefined.y));
}

TEST(Vector2D, SquaredDistanceIsSymmetric) {
  EXPECT_EQ(square(-3.0), 9.0);
  EXPECT_EQ(distanceSquared(Vector2D(0, 0), Vector2D(3, 4)), 25.0);
  EXPECT_EQ(distanceSquared(Vector2D(3, 4), Vector2D(0, 0)), 25.0);
  EXPECT_EQ(distanceSquared(Vector2D(0.1, 1e10), Vector2D(0.1, 1e10)), 0.0);
  EXPECT_EQ(distanceSquared(Vector2D(0.1, 0.7), Vector2D(-2.3, 5.9)),
            distanceSquared(Vector2D(-2.3, 5.9), Vector2D(0.1, 0.7)));
}

}  // namespace
