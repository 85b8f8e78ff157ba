#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "simulation/listed_near.h"
#include "simulation/pair_pushes.h"
#include "simulation/simulation.h"
#include "support/world_fixture.h"

namespace {

using BallContact = WorldTest;

// Velocity of ball a, at rest or moving at v, after one push from ball b of
// the same radius and mass 1: every bit, each value worked out operation by
// operation in the order of the push, the sign of a zero included.
TEST_F(BallContact, PushesOnlyThePushedBallAwayFromTheOther) {
  const double damped = 0x1.ff7ced916872bp-1;  // 0.999
  const struct {
    Vector2D a, b;
    int radius;
    double mass;
    Vector2D v, expected;
  } cases[] = {
      // clang-format off
      // Along an axis; zero components of the push are +0 where the offset's is
      // 0, -0 where it is negative and there is no direction: -0 - (-0) is +0.
      {{100, 100}, {110, 100}, 6, 1.0, {-0.0, -0.0}, {-0x1.681669ced0b30p-4, 0}},
      {{100, 100}, {106, 106}, 6, 5.0, {0, 0}, {-0x1.d76328c444682p-7, -0x1.d76328c444682p-7}},
      {{50, 50}, {50, 50}, 6, 1.0, {1, -2}, {damped, -2 * damped}},  // coincident: damps only
      {{100, 100}, {100.0049, 100.005}, 6, 1.0, {1, -2}, {damped, -2 * damped}},  // 0.0099
      {{100, 100}, {100.0051, 100.005}, 6, 1.0, {0, 0}, {-0x1.2988b32415b90p-3, -0x1.23b332235fc0dp-3}},
      {{300, 300}, {312, 300}, 6, 1.0, {1, -2}, {damped, -2 * damped}},  // just touching
      // (push * 0.002) / mass, not push * (0.002 / mass), which rounds otherwise here.
      {{100, 100}, {101, 101}, 12, 5.0, {0, 0}, {-0x1.d5c025f55d0eep-4, -0x1.d5c025f55d0eep-4}},
      // A Manhattan length of exactly 0.01 has no direction: damps only.
      {{0.005, 0.005}, {0, 0}, 6, 1.0, {1, -2}, {damped, -2 * damped}},
      {{100, 100}, {100.004, 100.005}, 6, 1.0, {-0.0, -0.0}, {-0.0, -0.0}},  // -0 - (+0) is -0
      // clang-format on
  };
  for (const auto& c : cases) {
    resetWorld();
    const unsigned a = addBall(c.a.x, c.a.y, c.radius, c.mass);
    const unsigned b = addBall(c.b.x, c.b.y, c.radius, 1.0);
    balls[a].velocity = c.v;
    resolveBallCollision(a, b);
    EXPECT_PRED_FORMAT2(sameVector, balls[a].velocity, c.expected) << c.b.x;
    EXPECT_PRED_FORMAT2(sameVector, balls[b].velocity, Vector2D());
    EXPECT_PRED_FORMAT2(sameVector, balls[a].position, c.a);
    EXPECT_PRED_FORMAT2(sameVector, balls[b].position, c.b);
  }
}

Wall wall(double sx, double sy, double ex, double ey) {
  return Wall(Vector2D(sx, sy), Vector2D(ex, ey));
}

using WallContact = WorldTest;

// Velocity of a ball at centre after resolveWallCollisions against the walls,
// every bit, worked out as for the ball pushes. Each case runs with every wall
// given in both directions, and for two masses.
TEST_F(WallContact, PushesAlongTheL1NormalisedOffsetFromTheNearestPoint) {
  const Wall top = wall(10, 10, 790, 10), left = wall(10, 10, 10, 590);
  const Wall flat = wall(0, 100, 200, 100), slanted = wall(55, 400, 740, 500);
  const Wall steep = wall(85, 150, 100, 500), upright = wall(100, 0, 100, 300);
  const Wall point = wall(5, 3, 5, 3), sliver = wall(0, 0, 0.3, 0);
  const double damped = 0x1.eb851eb851eb8p-1;  // 0.96
  const struct {
    const char* name;
    std::vector<Wall> walls;
    Vector2D centre;
    int radius;
    Vector2D incoming, expected;
  } cases[] = {
      // clang-format off
      {"one radius away is no contact", {top}, {400, 26}, 16, {0.3, -0.7}, {0.3, -0.7}},
      {"horizontal, moving", {top}, {400, 20}, 16, {1, -2}, {damped, 0x1.c432ca57a786bp+2}},
      {"vertical takes the steep case", {left}, {20, 300}, 16, {}, {0x1.1f8a0902de00dp+3, 0}},
      {"beyond a steep end", {left}, {20, 600}, 16, {}, {0x1.9ce075f6fd21fp+0, 0x1.9ce075f6fd21fp+0}},
      {"beyond a shallow end", {slanted}, {750, 505}, 16, {}, {0x1.41f212d77318fp+2, 0x1.41f212d77318fp+1}},
      {"beyond the other shallow end", {slanted}, {45, 395}, 16, {}, {-0x1.41f212d77318fp+2, -0x1.41f212d77318fp+1}},
      // Rounded as (push * overlap) * 0.06, not push * (overlap * 0.06).
      {"past a slanted steep end", {steep}, {101, 510}, 16, {}, {0x1.9f8ecd2c2005fp-1, 0x1.03b9403b9403bp+3}},
      {"L1 direction", {wall(0, 100, 100, 100)}, {103, 104}, 6, {}, {0x1.160f54ab905adp-2, 0x1.72bf1b8f6b23bp-2}},
      {"45 degrees is steep", {wall(0, 0, 100, 100)}, {50, 40}, 10, {}, {0x1.70a3d70a3d70ap+0, -0x1.70a3d70a3d70ap+0}},
      {"corner, in wall order", {top, left}, {20, 20}, 16, {}, {0x1.1f8a0902de00dp+3, 0x1.1409a24031487p+3}},
      {"0.0101 off the wall pushes", {flat}, {100, 100.0101}, 16, {}, {0, 0x1.d7dbe83574380p+3}},
      // A centre (almost) on the wall gives no direction: such a contact only
      // damps, even after an earlier wall of the same call pushed.
      {"0.0099 off the wall only damps", {flat}, {100, 100.0099}, 16, {1, -2}, {damped, -2 * damped}},
      {"exactly 0.01 off only damps", {wall(-100, 0, 100, 0)}, {5, 0.01}, 6, {1, -2}, {damped, -2 * damped}},
      {"centre on the second wall", {flat, upright}, {100, 110}, 16, {}, {0, 0x1.1409a24031487p+3}},
      // No direction and a negative offset: the push is (-0) * overlap, +0.
      {"just below, no direction", {flat}, {100, 99.995}, 16, {-0.0, -0.0}, {0, -0.0}},
      // Too short for a slope and level: no direction, never touches.
      {"point and 0.3 sliver", {point, sliver}, {0.1, 3}, 6, {1, -2}, {1, -2}},
      {"0.33 sliver has a slope", {wall(0, 0, 0.33, 0)}, {0.1, 3}, 6, {}, {0, 0x1.8e219652bd3c3p+0}},
      // clang-format on
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
        EXPECT_PRED_FORMAT2(sameVector, balls[0].velocity, c.expected) << c.name << reversed;
        EXPECT_PRED_FORMAT2(sameVector, balls[0].position, c.centre) << c.name;
      }
    }
  }
}

// Every path the processor has works out the pair pass's pushes as the plain
// code does, push by push, to the sign of a zero: pairs with zero offset
// components, without a direction (one negative), at exactly 0.01 and
// coincident, then random ones, in a count that leaves a tail.
TEST_F(WorldTest, EveryPushPathGivesThePlainPushes) {
  const Vector2D special[][2] = {
      {{100, 100}, {100, 105}},        {{100, 100}, {105, 100}}, {{105, 100}, {100, 100}},
      {{100, 105}, {100, 100}},        {{50, 50}, {50, 50}},     {{0.005, 0.005}, {0, 0}},
      {{100, 100}, {100.004, 100.005}}};
  std::mt19937 random(1);
  std::uniform_real_distribution<double> spot(100, 140), near(-0.006, 0.006);
  std::vector<TouchingPair> pairs;
  for (unsigned i = 0; i < 203; ++i) {
    const Vector2D a = i < 7 ? special[i][0] : Vector2D(spot(random), spot(random));
    const Vector2D b = i < 7   ? special[i][1]
                       : i % 2 ? a + Vector2D(near(random), near(random))
                               : Vector2D(spot(random), spot(random));
    addBall(a.x, a.y, 6 << i % 2, i % 3 * 2.0 + 1);
    addBall(b.x, b.y, 12 + i % 5, 10.0);
    pairs.push_back(TouchingPair{2 * i, 2 * i + 1});
  }
  std::vector<PairPush> plain(pairs.size()), wide(pairs.size());
  workOutPushes(WidePath::plain, balls.data(), pairs.data(), pairs.size(), plain.data());
  for (WidePath path : {WidePath::avx2}) {
    if (widePathAvailable(path)) {
      workOutPushes(path, balls.data(), pairs.data(), pairs.size(), wide.data());
      for (std::size_t t = 0; t < pairs.size(); ++t) {
        EXPECT_PRED_FORMAT2(sameVector, wide[t].lower, plain[t].lower) << "pair " << t;
        EXPECT_PRED_FORMAT2(sameVector, wide[t].upper, plain[t].upper) << "pair " << t;
      }
    }
  }
}

// Every path keeps the entries of a run that the plain code keeps, in order:
// runs of every length from one start, so that groups of four end anywhere,
// entries exactly at the listing distance and just beyond, entries at or above
// the bound and the ball's own entry.
TEST(ListedNearTest, EveryWidePathKeepsThePlainEntries) {
  const CellGrid::Entry own{Vector2D(100, 100), 8, 5};
  const double exact = 8 * (1.0 + listingSlack) + 8 * (1.0 + listingSlack);
  std::vector<CellGrid::Entry> run = {{Vector2D(100 + exact, 100), 8, 1},
                                      {Vector2D(std::nextafter(100 + exact, 200), 100), 8, 2},
                                      {Vector2D(101, 100), 3, 5},
                                      {Vector2D(102, 101), 3, 9},
                                      {Vector2D(102, 101), 3, 10}};
  std::mt19937 random(3);
  std::uniform_real_distribution<double> spot(80, 120), reach(1, 9);
  for (std::uint32_t e = 0; e < 20; ++e) {
    run.push_back({Vector2D(spot(random), spot(random)), reach(random), e * 7 % 13});
  }
  for (std::size_t length = 0; length <= run.size(); ++length) {
    std::vector<std::uint32_t> plain(length + 4), wide(length + 4);
    const std::size_t kept = static_cast<std::size_t>(
        writeListed(WidePath::plain, own, 10, run.data(), run.data() + length, plain.data()) -
        plain.data());
    if (length == run.size()) {
      EXPECT_EQ(plain[0], 1u);
      EXPECT_EQ(plain[1], 9u);
    }
    for (WidePath path : {WidePath::avx2}) {
      if (widePathAvailable(path)) {
        ASSERT_EQ(
            writeListed(path, own, 10, run.data(), run.data() + length, wide.data()) - wide.data(),
            static_cast<std::ptrdiff_t>(kept))
            << "a run of " << length;
        plain.resize(kept);
        wide.resize(kept);
        EXPECT_EQ(wide, plain) << "a run of " << length;
      }
    }
  }
}

}  // namespace
