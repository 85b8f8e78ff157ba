#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

#include "app/scene.h"
#include "simulation/simulation.h"
#include "support/exhaustive_physics.h"
#include "support/world_bits.h"
#include "support/world_fixture.h"

namespace {

struct WorldState {
  std::vector<Ball> balls;
  std::vector<Wall> walls;
  double spinAngle;

  static WorldState capture() { return WorldState{::balls, ::walls, ::spinAngle}; }
  void restore() const {
    ::balls = balls;
    ::walls = walls;
    ::spinAngle = spinAngle;
  }
};

::testing::AssertionResult sameState(const WorldState& fast, const WorldState& exhaustive) {
  bool wallsMatch = true;
  for (unsigned i = 0; i < fast.walls.size(); ++i) {
    wallsMatch = wallsMatch && sameBits(fast.walls[i].end, exhaustive.walls[i].end);
  }
  if (sameBits(fast.balls, exhaustive.balls) && wallsMatch) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "the worlds differ";
}

class ContactSearch : public WorldTest {
 protected:
  std::mt19937 random{0};

  double uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  }
  void addRandomBall(double x, double y) {
    static const int radii[] = {6, 12, 16};
    static const double masses[] = {1.0, 5.0, 10.0};
    const int size = std::uniform_int_distribution<int>(0, 2)(random);
    addBall(x, y, radii[size], masses[size]);
  }

  // Runs both searches from the same state for the given frames, frame by
  // frame, comparing whole worlds; spawn adds balls between frames, as clicks do.
  template <typename Spawn>
  void expectSameRun(int frames, Spawn spawn) {
    for (int frame = 0; frame < frames; ++frame) {
      spawn(frame);
      if (frame % 7 == 0) {
        thrust = Vector2D(uniform(-0.07, 0.07), -0.07);
      }
      const Vector2D frameThrust = thrust;
      const WorldState before = WorldState::capture();
      updateFrame();
      const WorldState fast = WorldState::capture();
      before.restore();
      thrust = frameThrust;
      exhaustiveUpdateFrame();
      ASSERT_TRUE(sameState(fast, WorldState::capture())) << "frame " << frame;
    }
  }
};

TEST_F(ContactSearch, CrowdedArenaMatchesExhaustiveSearch) {
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    resetWorld();
    random.seed(seed);
    buildScene();
    // A dense pile in the lower right, mixed sizes, many overlapping.
    for (int i = 0; i < 400; ++i) {
      addRandomBall(uniform(450, 780), uniform(380, 580));
    }
    expectSameRun(40, [&](int frame) {
      // Spawns on the walls, the hub and the spokes, as a user might click.
      if (frame % 5 == 0) {
        addRandomBall(300, 210);
        addRandomBall(uniform(55, 740), 400 + uniform(0, 100));
        addRandomBall(uniform(200, 400), uniform(110, 310));
      }
    });
  }
}

TEST_F(ContactSearch, CoincidentAndTouchingBallsMatch) {
  random.seed(11);
  buildScene();
  for (int i = 0; i < 60; ++i) {
    const double x = uniform(100, 700), y = uniform(50, 300);
    addRandomBall(x, y);
    addRandomBall(x, y);  // same centre
    addBall(x + 12, y, 6);
    addBall(x - 12, y + 1e-9, 6);
    addBall(x + 28, y, 16);  // exactly touching the first when it is a 12
  }
  expectSameRun(30, [](int) {});
}

TEST_F(ContactSearch, BallsOutsideTheArenaAndNonFiniteBallsMatch) {
  random.seed(21);
  buildScene();
  const double huge[] = {-1e6, 1e9, 3e12, 1e15, 1e17, 1e300, -1e300};
  for (double far : huge) {
    addBall(far, 100, 6);
    addBall(far + 5, 100, 12);  // rounds onto the first ball for the largest
    addBall(far, far, 16);
    addBall(far, far, 16);
  }
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  addBall(inf, 100, 6);
  addBall(inf, 100, 6);
  addBall(300, -inf, 6);
  addBall(nan, 200, 6);
  addBall(200, nan, 12);
  for (int i = 0; i < 200; ++i) {
    addRandomBall(uniform(-400, 1200), uniform(-300, 900));
  }
  // Balls long fallen, far apart and fast, and balls falling into the arena
  // from far above it.
  for (int i = 0; i < 40; ++i) {
    balls[addBall(uniform(20, 780), 1000 + 300 * i, 6)].velocity = Vector2D(0.3, 4.99);
    balls[addBall(uniform(20, 780), -150 * i, 12)].velocity = Vector2D(0, 4.99);
  }
  expectSameRun(60, [&](int frame) {
    if (frame % 3 == 0) {
      addRandomBall(uniform(-200, 0), uniform(0, 600));
      addRandomBall(uniform(800, 1000), uniform(0, 600));
    }
  });
}

// Far from everything, balls fly on alone; then balls are dropped in the way
// of each, and right onto each.
TEST_F(ContactSearch, BallsDroppedNearALonerMatch) {
  buildScene();
  for (int i = 0; i < 8; ++i) {
    balls[addBall(2000, 1000 * i, 6)].velocity = Vector2D(1 + 0.1 * i, 0);
  }
  for (int i = 0; i < 40; ++i) {
    addBall(5000 + 300 * i, 0, 6);  // most balls keep still: so does the drift
  }
  expectSameRun(12, [](int frame) {
    for (unsigned i = 0; i < 8; ++i) {
      if (frame == 2 && i % 2 == 0) {
        addBall(2090, 1000 * i + 0.7 * i, 12);
      } else if (frame == 4 && i % 2 == 1) {
        addBall(balls[4 + i].position.x - 3, balls[4 + i].position.y, 12);
      }
    }
  });
}

TEST_F(ContactSearch, UnusualWallsMatch) {
  const double inf = std::numeric_limits<double>::infinity();
  const Wall extraWalls[][2] = {
      {Wall(Vector2D(-1e7, 300), Vector2D(1e7, 320)), Wall(Vector2D(400, 300), Vector2D(400, 300))},
      {Wall(Vector2D(0, 450), Vector2D(inf, 460)), Wall(Vector2D(500, 100), Vector2D(500.2, 100))},
  };
  for (const auto& extra : extraWalls) {
    resetWorld();
    random.seed(41);
    buildScene();
    walls.push_back(extra[0]);
    walls.push_back(extra[1]);
    for (int i = 0; i < 150; ++i) {
      addRandomBall(uniform(20, 780), uniform(20, 580));
    }
    expectSameRun(40, [](int) {});
  }
}

TEST_F(ContactSearch, LongRunOfAGrowingPileMatches) {
  random.seed(31);
  buildScene();
  expectSameRun(400, [&](int frame) {
    if (frame % 4 == 0) {
      addRandomBall(uniform(20, 780), uniform(20, 100));
    }
  });
  EXPECT_EQ(balls.size(), 104u);
}

}  // namespace
