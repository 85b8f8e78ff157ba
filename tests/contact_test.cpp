#include <gtest/gtest.h>

#include <vector>

#include "simulation/simulation.h"
#include "support/world_fixture.h"

namespace {

using BallContact = WorldTest;

// Velocity of ball a (radius 6), at rest or moving at v, after one push from
// ball b (radius 6, mass 1).
TEST_F(BallContact, PushesOnlyThePushedBallAwayFromTheOther) {
  const struct {
    Vector2D a, b;
    double mass;
    Vector2D v, expected;
  } cases[] = {
      {{100, 100}, {110, 100}, 1.0, {0, 0}, {-0.087912, 0}},             // along an axis
      {{100, 100}, {106, 106}, 5.0, {0, 0}, {-0.0143856, -0.0143856}},   // diagonal, heavier
      {{50, 50}, {50, 50}, 1.0, {1, -2}, {0.999, -1.998}},               // coincident: damps only
      {{100, 100}, {100.0049, 100.005}, 1.0, {1, -2}, {0.999, -1.998}},  // 0.0099: no direction
      {{100, 100}, {100.0051, 100.005}, 1.0, {0, 0}, {-0.14528026536819683, -0.14243163271382323}},
      {{300, 300}, {312, 300}, 1.0, {1, -2}, {0.999, -1.998}},  // just touching
  };
  for (const auto& c : cases) {
    resetWorld();
    const unsigned a = addBall(c.a.x, c.a.y, 6, c.mass);
    const unsigned b = addBall(c.b.x, c.b.y, 6, 1.0);
    balls[a].velocity = c.v;
    resolveBallCollision(a, b);
    EXPECT_NEAR(balls[a].velocity.x, c.expected.x, 1e-15) << c.b.x;
    EXPECT_NEAR(balls[a].velocity.y, c.expected.y, 1e-15) << c.b.x;
    EXPECT_PRED_FORMAT2(sameVector, balls[b].velocity, Vector2D());
    EXPECT_PRED_FORMAT2(sameVector, balls[a].position, c.a);
    EXPECT_PRED_FORMAT2(sameVector, balls[b].position, c.b);
  }
}

Wall wall(double sx, double sy, double ex, double ey) {
  return Wall(Vector2D(sx, sy), Vector2D(ex, ey));
}

using WallContact = WorldTest;

// Velocity of a ball at centre after resolveWallCollisions against the walls.
// Each case runs with every wall given in both directions, and for two masses.
TEST_F(WallContact, PushesAlongTheL1NormalisedOffsetFromTheNearestPoint) {
  const Wall top = wall(10, 10, 790, 10), left = wall(10, 10, 10, 590);
  const Wall flat = wall(0, 100, 200, 100), slanted = wall(55, 400, 740, 500);
  const Wall steep = wall(85, 150, 100, 500), upright = wall(100, 0, 100, 300);
  const Wall point = wall(5, 3, 5, 3), sliver = wall(0, 0, 0.3, 0);
  const double l1 = 0.96 * 0.06 * 11 / 7, end = 0.96 * 0.06 * 155 / 11;
  const struct {
    const char* name;
    std::vector<Wall> walls;
    Vector2D centre;
    int radius;
    Vector2D incoming, expected;
  } cases[] = {
      {"one radius away is no contact", {top}, {400, 26}, 16, {0.3, -0.7}, {0.3, -0.7}},
      {"horizontal, moving", {top}, {400, 20}, 16, {1, -2}, {0.96, 7.0656}},
      {"vertical takes the steep case", {left}, {20, 300}, 16, {}, {8.9856, 0}},
      {"beyond a steep end", {left}, {20, 600}, 16, {}, {1.6128, 1.6128}},
      {"beyond a shallow end", {slanted}, {750, 505}, 16, {}, {5.0304, 2.5152}},
      {"beyond the other shallow end", {slanted}, {45, 395}, 16, {}, {-5.0304, -2.5152}},
      {"past a slanted steep end", {steep}, {101, 510}, 16, {}, {end, end * 10}},
      {"L1 direction", {wall(0, 100, 100, 100)}, {103, 104}, 6, {}, {l1 * 3, l1 * 4}},
      {"45 degrees is steep", {wall(0, 0, 100, 100)}, {50, 40}, 10, {}, {1.44, -1.44}},
      {"corner, in wall order", {top, left}, {20, 20}, 16, {}, {8.9856, 8.626176}},
      {"0.0101 off the wall pushes", {flat}, {100, 100.0101}, 16, {}, {0, 14.745594124223999}},
      // A centre (almost) on the wall gives no direction: such a contact only
      // damps, even after an earlier wall of the same call pushed.
      {"0.0099 off the wall only damps", {flat}, {100, 100.0099}, 16, {1, -2}, {0.96, -1.92}},
      {"centre on the second wall", {flat, upright}, {100, 110}, 16, {}, {0, 8.9856 * 0.96}},
      // Too short for a slope and level: no direction, never touches.
      {"point and 0.3 sliver", {point, sliver}, {0.1, 3}, 6, {1, -2}, {1, -2}},
      {"0.33 sliver has a slope", {wall(0, 0, 0.33, 0)}, {0.1, 3}, 6, {}, {0, 1.5552}},
  };
  for (const auto& c : cases) {
    for (bool reversed : {false, true}) {
      for (double mass : {1.0, 50.0}) {
        resetWorld();
        for (const Wall& w : c.walls) {
          walls.push_back(reversed ? Wall(w.end, w.start) : w);
        }
        balls.push_back(Ball(c.centre, c.incoming, c.radius, mass));
        resolveWallCollisions(0);
        EXPECT_NEAR(balls[0].velocity.x, c.expected.x, 1e-12) << c.name << reversed;
        EXPECT_NEAR(balls[0].velocity.y, c.expected.y, 1e-12) << c.name << reversed;
        EXPECT_PRED_FORMAT2(sameVector, balls[0].position, c.centre) << c.name;
      }
    }
  }
}

}  // namespace
