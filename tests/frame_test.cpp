#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

#include "app/controls.h"
#include "app/scene.h"
#include "simulation/simulation.h"
#include "support/exhaustive_physics.h"
#include "support/world_fixture.h"

namespace {

const double inf = std::numeric_limits<double>::infinity();
const int radii[] = {6, 12, 16};
const double masses[] = {1.0, 5.0, 10.0};

// The program's frame against the exhaustive search from the same state, frame by
// frame, whole worlds bit for bit; spawn(frame) adds balls between frames.
class ContactSearch : public WorldTest {
 protected:
  std::mt19937 random{0};

  double uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  }
  unsigned addRandomBall(double x, double y) {
    const int size = std::uniform_int_distribution<int>(0, 2)(random);
    return addBall(x, y, radii[size], masses[size]);
  }

  template <typename Spawn>
  void expectSameRun(int frames, Spawn spawn) {
    for (int frame = 0; frame < frames; ++frame) {
      spawn(frame);
      thrust = Vector2D(frame % 7 == 0 ? uniform(-0.07, 0.07) : 0.0, frame % 7 == 0 ? -0.07 : 0.0);
      const auto before = std::make_tuple(balls, walls, thrust, spinAngle);
      updateFrame();
      const auto [fastBalls, fastWalls, fastSpin] = std::make_tuple(balls, walls, spinAngle);
      ASSERT_PRED_FORMAT2(sameVector, thrust, Vector2D());
      std::tie(balls, walls, thrust, spinAngle) = before;
      exhaustiveUpdateFrame();
      ASSERT_EQ(fastSpin, spinAngle);
      ASSERT_EQ(fastBalls.size(), balls.size());
      for (std::size_t i = 0; i < balls.size(); ++i) {
        ASSERT_PRED_FORMAT2(sameVector, fastBalls[i].position, balls[i].position)
            << "frame " << frame << ", ball " << i;
        ASSERT_PRED_FORMAT2(sameVector, fastBalls[i].velocity, balls[i].velocity)
            << "frame " << frame << ", ball " << i;
      }
      ASSERT_EQ(std::memcmp(fastWalls.data(), walls.data(), walls.size() * sizeof(Wall)), 0);
    }
  }
};

// Unusual walls (very long, infinite, a point, too short for a slope) and balls:
// coincident, touching exactly, far off, non-finite, falling far below or from
// far above, and alone, closing on each other at speed from far apart.
TEST_F(ContactSearch, UnusualWallsAndBallsMatch) {
  buildScene();
  walls.insert(walls.end(), {Wall(Vector2D(-1e7, 300), Vector2D(1e7, 320)),
                             Wall(Vector2D(0, 450), Vector2D(inf, 460)),
                             Wall(Vector2D(400, 200), Vector2D(400, 200)),
                             Wall(Vector2D(500, 100), Vector2D(500.2, 100))});
  for (int i = 0; i < 60; ++i) {
    const double x = uniform(100, 700), y = uniform(50, 550);
    addRandomBall(x, y);
    addRandomBall(x, y);
    addBall(x + 12, y, 6);
    addBall(x + 28, y, 16);  // touching the first when it is a 12
  }
  for (double far : {-1e6, 1e9, 3e12, 1e15, 1e17, 1e300, -1e300}) {
    addBall(far, 100, 6);
    addBall(far + 5, 100, 12);  // rounds onto the first ball for the largest
    addBall(far, far, 16);
    addBall(far, far, 16);
  }
  for (const Vector2D& p : {Vector2D(inf, 100), Vector2D(inf, 100), Vector2D(300, -inf),
                            Vector2D(NAN, 200), Vector2D(200, NAN)}) {
    addBall(p.x, p.y, 6);
  }
  for (int i = 0; i < 40; ++i) {
    balls[addBall(uniform(20, 780), 1000 + 300 * i, 6)].velocity = Vector2D(0.3, 4.99);
    balls[addBall(uniform(20, 780), -150 * i, 12)].velocity = Vector2D(0, 4.99);
    const double speed = 1 + i % 8 * 3, y = 5000 + 1000 * i;
    balls[addBall(2000 - 400 * (i % 3), y, 6)].velocity = Vector2D(speed, 0);
    balls[addBall(2600 + 300 * (i % 2), y + i % 5, 12)].velocity = Vector2D(-speed, 0.1 * i);
  }
  expectSameRun(60, [&](int frame) {
    if (frame % 3 == 0) {
      addRandomBall(300, 210);  // on the hub
    }
  });
}

// Balls at rest on a shelf across the wheel, which the turning spokes sweep
// into: a ball that has not moved must still meet a spoke whose walls have
// moved on since its wall list was made.
TEST_F(ContactSearch, SpokesSweepIntoBallsAtRest) {
  buildScene();
  walls.push_back(Wall(Vector2D(200, 250), Vector2D(400, 250)));
  for (int x = 215; x < 390; x += 25) {
    addBall(x, x % 2 == 0 ? 244 : 238, x % 2 == 0 ? 6 : 12);
  }
  expectSameRun(300, [](int) {});
}

// The first frame, every bit, worked out operation by operation: the spokes'
// ends at angle (i - 2) * (6.28 / 8), and a free ball falling from rest under
// gravity, moved by each sub-step's velocity before it is damped.
TEST_F(WorldTest, FirstFramePlacesTheSpokesAndDropsAFreeBall) {
  buildScene();
  const unsigned free = addBall(600, 100, 6);
  updateFrame();
  // clang-format off
  const Vector2D ends[] = {
      {400, 210}, {0x1.72bd23c2c4b78p+8, 0x1.18aeb981c3aebp+8},
      {0x1.2c1462ce85f40p+8, 0x1.35fffdec0c428p+8}, {0x1.cabf675e77c83p+7, 0x1.18cb8b132dd9ap+8},
      {0x1.9000109f9dbf8p+7, 0x1.a4518b386609cp+7}, {0x1.ca4c211b34512p+7, 0x1.16dc479f41099p+7},
      {0x1.2bc2d797d1b07p+8, 0x1.b8004ace44922p+6}, {0x1.728369212f67dp+8, 0x1.162f5e4058da2p+7}};
  // clang-format on
  for (unsigned i = 2; i < 10; ++i) {
    EXPECT_PRED_FORMAT2(sameVector, walls[i].end, ends[i - 2]) << "wall " << i;
  }
  EXPECT_EQ(spinAngle, 0.005);
  // 0.2741766 down, falling at 0.0497258 a sub-step.
  EXPECT_PRED_FORMAT2(sameVector, balls[free].position, Vector2D(600, 0x1.9118c1c35ca95p+6));
  EXPECT_PRED_FORMAT2(sameVector, balls[free].velocity, Vector2D(0, 0x1.975a9c2213200p-5));
}

// FNV-1a over the bits of doubles, taken as values so that byte order does not count.
std::uint64_t hashed(std::uint64_t hash, double v) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  return (hash ^ bits) * 1099511628211u;
}
constexpr std::uint64_t noHash = 14695981039346656037u;

// The long game's frames: one a pass, and two at each of its five checks.
constexpr int longGamePasses = 2000, longGameFrames = longGamePasses + 5;

// The C library's sine and cosine of every angle the long game gives a spoke,
// as the frame update works them out: machines that agree here see the same
// spokes, so their worlds must agree bit for bit.
std::uint64_t spokeSinesAndCosines() {
  std::uint64_t hash = noHash;
  double spin = 0.0;
  for (int frame = 0; frame < longGameFrames; ++frame, spin += 0.005) {
    for (unsigned spoke = 0; spoke < 8; ++spoke) {
      const double angle = spoke * (6.28 / 8) + spin;
      hash = hashed(hashed(hash, std::cos(angle)), std::sin(angle));
    }
  }
  return hash;
}

// The worlds of the long game at its checks, for each family of sine and
// cosine known; see the README for which machines take which.
struct Family {
  const char* name;
  std::uint64_t sinesAndCosines;
  std::uint64_t worlds[5];
};
const Family families[] = {
    // clang-format off
    {"glibc's FMA code path", 0x25286ace22aa0ec6, {0xfacee0ed971097f3, 0x403ce9239820a02c,
     0xbe4ecdf3b2b04c8f, 0xe1621d9d92729777, 0xf098c768fcfe9f4d}},
    {"glibc's generic code path", 0x986462cffde8bd3b, {0xfacee0ed971097f3, 0xeeda53bb5d982b1b,
     0x88f54c0966fe7fa9, 0x66c7bb9681570302, 0xc60ae3edfcfe57bb}},
    // clang-format on
};

// The game users end up in: a ball dropped at every pass at a random point of
// the window, big and small in turn, until the arena is packed. Its worlds at
// each check are held to the exhaustive search, and to those stored for the
// machine's family of sine and cosine; a machine of another family says so,
// and is held to the search alone. It prints both, which make cross compares
// across machines.
TEST_F(ContactSearch, LongGameMatches) {
  const std::uint64_t libm = spokeSinesAndCosines();
  const Family* family = nullptr;
  for (const Family& known : families) {
    family = known.sinesAndCosines == libm ? &known : family;
  }
  std::printf("sin and cos %016llx: %s\n", static_cast<unsigned long long>(libm),
              family ? family->name : "a family not known here, held to the search alone");
  buildScene();
  for (int pass = 0, check = 0; pass < longGamePasses; ++pass) {
    const int x = static_cast<int>(uniform(0, 800));  // x drawn first, whatever the compiler
    applyMouseButtons(pass % 2 + 1, x, static_cast<int>(uniform(0, 600)));
    if (pass % 400 == 399) {
      expectSameRun(2, [](int) {});
      std::uint64_t world = noHash;
      for (const Ball& b : balls) {
        world = hashed(hashed(hashed(hashed(world, b.position.x), b.position.y), b.velocity.x),
                       b.velocity.y);
      }
      std::printf("world after frame %d: %016llx\n", pass + 1,
                  static_cast<unsigned long long>(world));
      if (family != nullptr) {
        EXPECT_EQ(world, family->worlds[check]) << family->name << ", check " << check;
      }
      ++check;
    } else {
      updateFrame();
    }
  }
}

}  // namespace
