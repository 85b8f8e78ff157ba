#include <gtest/gtest.h>

#include "simulation/simulation.h"
#include "support/world_fixture.h"

namespace {

using BallContact = WorldTest;

// Velocity of ball a, at rest or moving at v, after one push from ball b.
TEST_F(BallContact, PushesOnlyThePushedBallAwayFromTheOther) {
  struct {
    Vector2D a, b;
    double mass;
    Vector2D v, expected;
  } const cases[] = {
      {{100, 100}, {110, 100}, 1.0, {0, 0}, {-0.087912, 0}},            // along an axis
      {{100, 100}, {106, 106}, 5.0, {0, 0}, {-0.0143856, -0.0143856}},  // diagonal, heavier
      {{50, 50}, {50, 50}, 1.0, {1, -2}, {0.999, -1.998}},              // coincident: damps only
      {{200, 200}, {200.004, 199.995}, 1.0, {1, -2}, {0.999, -1.998}},  // too close for a direction
      {{300, 300}, {312, 300}, 1.0, {1, -2}, {0.999, -1.998}},          // just touching
  };
  for (const auto& c : cases) {
    resetWorld();
    const unsigned a = addBall(c.a.x, c.a.y, 6, c.mass);
    const unsigned b = addBall(c.b.x, c.b.y, 6, 1.0);
    balls[a].velocity = c.v;
    resolveBallCollision(a, b);
    EXPECT_NEAR(balls[a].velocity.x, c.expected.x, 1e-15) << c.a.x;
    EXPECT_NEAR(balls[a].velocity.y, c.expected.y, 1e-15) << c.a.x;
    EXPECT_EQ(balls[b].velocity.x, 0.0);
    EXPECT_EQ(balls[a].position.x, c.a.x);
    EXPECT_EQ(balls[b].position.x, c.b.x);
  }
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

}  // namespace
