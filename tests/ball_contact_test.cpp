#include <gtest/gtest.h>

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
      {{100, 100}, {110, 100}, 1.0, {0, 0}, {-0.087912, 0}},            // along an axis
      {{100, 100}, {106, 106}, 5.0, {0, 0}, {-0.0143856, -0.0143856}},  // diagonal, heavier
      {{100, 100}, {110, 100.0005}, 1.0, {0, 0}, {-0.08790760412029397, -4.395380206035686e-06}},
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
    EXPECT_EQ(balls[b].velocity.x, 0.0);
    EXPECT_EQ(balls[a].position.x, c.a.x);
    EXPECT_EQ(balls[b].position.x, c.b.x);
  }
}

}  // namespace
