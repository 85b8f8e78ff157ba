#include "geometry/vector2d.h"

#include <gtest/gtest.h>

namespace {

// A compound assignment hands back a copy: an operation chained onto it acts on
// the copy, not on the left operand.
TEST(Vector2D, CompoundAssignmentReturnsACopy) {
  Vector2D a(1.0, 1.0);
  const Vector2D chained = (a += Vector2D(1.0, 2.0)) *= 2.0;
  EXPECT_EQ(a.y, 3.0);
  EXPECT_EQ(chained.y, 6.0);
  (a *= Vector2D(1.0, -1.0)) -= Vector2D(100.0, 100.0);
  EXPECT_EQ(a.y, -3.0);
}

}  // namespace
