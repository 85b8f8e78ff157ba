#include <gtest/gtest.h>

#include <vector>

#include "simulation/simulation.h"
#include "support/world_fixture.h"

namespace {

struct WallCase {
  const char* name;
  std::vector<Wall> walls;
  Vector2D centre;
  int radius;
  Vector2D incoming;
  Vector2D expected;
};

Wall wall(double sx, double sy, double ex, double ey) {
  return Wall(Vector2D(sx, sy), Vector2D(ex, ey));
}

using WallContact = WorldTest;

TEST_F(WallContact, PushesAlongTheL1NormalisedOffsetFromTheNearestPoint) {
  const Wall top = wall(10, 10, 790, 10);
  const WallCase cases[] = {
      {"one radius away is no contact", {top}, {400, 26}, 16, {0.3, -0.7}, {0.3, -0.7}},
      {"horizontal", {top}, {400, 20}, 16, {0, 0}, {0, 8.9856}},
      {"horizontal, moving", {top}, {400, 20}, 16, {1, -2}, {0.96, 7.0656}},
      {"vertical takes the steep case", {wall(10, 10, 10, 590)}, {20, 300}, 16, {}, {8.9856, 0}},
      {"bounded to the end", {wall(55, 400, 740, 500)}, {750, 505}, 16, {}, {5.0304, 2.5152}},
      {"L1 direction",
       {wall(0, 100, 100, 100)},
       {103, 104},
       6,
       {},
       {0.96 * 0.06 * 11 * 3 / 7, 0.96 * 0.06 * 11 * 4 / 7}},
      {"45 degrees is steep", {wall(0, 0, 100, 100)}, {50, 40}, 10, {}, {1.44, -1.44}},
      {"corner, in wall order", {top, wall(10, 10, 10, 590)}, {20, 20}, 16, {}, {8.9856, 8.626176}},
      // A centre on the wall gives no direction: such a contact only damps,
      // even after an earlier wall of the same call pushed.
      {"centre on the wall", {wall(100, 0, 100, 300)}, {100, 110}, 16, {1, -2}, {0.96, -1.92}},
      {"centre on the second wall",
       {wall(0, 100, 200, 100), wall(100, 0, 100, 300)},
       {100, 110},
       16,
       {},
       {0, 8.9856 * 0.96}},
      {"walls without direction",
       {wall(100, 100, 100, 100), wall(100, 100, 100.2, 100)},
       {100, 100},
       16,
       {1, -2},
       {1, -2}},
  };
  for (const WallCase& c : cases) {
    for (double mass : {1.0, 50.0}) {
      resetWorld();
      walls = c.walls;
      const unsigned i = addBall(c.centre.x, c.centre.y, c.radius, mass);
      balls[i].velocity = c.incoming;
      resolveWallCollisions(i);
      EXPECT_NEAR(balls[i].velocity.x, c.expected.x, 1e-12) << c.name;
      EXPECT_NEAR(balls[i].velocity.y, c.expected.y, 1e-12) << c.name;
      EXPECT_EQ(balls[i].position.x, c.centre.x) << c.name;
    }
  }
}

}  // namespace
