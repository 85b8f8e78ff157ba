#include <gtest/gtest.h>

#include <limits>

#include "app/controls.h"
#include "app/disc_pixels.h"
#include "app/scene.h"
#include "support/world_fixture.h"

namespace {

using Shell = WorldTest;

// start and end of each wall, then position, mass and radius of each ball.
TEST_F(Shell, SceneHoldsItsWallsAndBalls) {
  buildScene();
  const std::vector<double> expected = {
      55, 400, 740, 500, 85,  150, 100, 500, 300, 210, 0,   0,   300, 210, 0,   0,   300, 210, 0,
      0,  300, 210, 0,   0,   300, 210, 0,   0,   300, 210, 0,   0,   300, 210, 0,   0,   300, 210,
      0,  0,   10,  10,  790, 10,  10,  10,  10,  590, 10,  590, 390, 550, 390, 550, 790, 590, 790,
      10, 790, 590, 100, 300, 10,  16,  50,  40,  5,   12,  80,  40,  5,   12,  110, 40,  1,   6};
  std::vector<double> scene;
  for (const Wall& w : walls) {
    scene.insert(scene.end(), {w.start.x, w.start.y, w.end.x, w.end.y});
  }
  for (const Ball& b : balls) {
    scene.insert(scene.end(), {b.position.x, b.position.y, b.mass, double(b.radius)});
    EXPECT_PRED_FORMAT2(sameVector, b.velocity, Vector2D());
  }
  EXPECT_EQ(scene, expected);
}

// Each held key sets its component; Right is tested after Left and wins.
TEST_F(Shell, ArrowKeysSetThrustComponents) {
  applyArrowKeys(false, true, true);
  EXPECT_PRED_FORMAT2(sameVector, thrust, Vector2D(0.07, 0));
  applyArrowKeys(true, true, false);
  EXPECT_PRED_FORMAT2(sameVector, thrust, Vector2D(-0.07, -0.07));
}

// Passes of the main loop: buttons (bit 1 left, bit 2 right) and pointer. A
// press adds one ball at the pointer, big for the left button and small for the
// right, and holding on adds no more; pressed together, the big one comes first.
TEST_F(Shell, EachPressAddsOneBallAtThePointer) {
  const int passes[][3] = {{1, 40, 50}, {1, 40, 50}, {1, 45, 55}, {0, 0, 0}, {1, 41, 51},
                           {0, 0, 0},   {3, 7, 8},   {2, 9, 9},   {0, 0, 0}, {2, 6, 5}};
  for (const auto& pass : passes) {
    applyMouseButtons(pass[0], pass[1], pass[2]);
  }
  std::vector<double> added;
  for (const Ball& b : balls) {
    added.insert(added.end(), {b.position.x, b.position.y, double(b.radius), b.mass});
    EXPECT_PRED_FORMAT2(sameVector, b.velocity, Vector2D());
  }
  EXPECT_EQ(added, std::vector<double>(
                       {40, 50, 12, 5, 41, 51, 12, 5, 7, 8, 12, 5, 7, 8, 6, 1, 6, 5, 6, 1}));
}

// Centre x, y; then whether the disc (radius 16) can show on 800 by 600, and
// where: truncated toward zero. Edge pixels still show; beyond them nothing.
TEST_F(Shell, DiscCentresTruncateTowardZeroWhenTheDiscCanShow) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // clang-format off
  const double cases[][5] = {{99.9, 30.5, 1, 99, 30}, {-0.5, 599.9, 1, 0, 599}, {-16.9, 300, 1, -16, 300},
                             {815.7, 615.2, 1, 815, 615}, {-17, 300, 0}, {816, 300, 0}, {400, 616, 0},
                             {400, -17, 0}, {400, 3e9, 0}, {-1e300, 1e300, 0}, {nan, 5, 0}};
  // clang-format on
  for (const auto& c : cases) {
    int x = -1, y = -1;
    const bool shows =
        discPixelCentre(Ball(Vector2D(c[0], c[1]), Vector2D(), 16, 1.0), 800, 600, x, y);
    EXPECT_EQ(shows, c[2] == 1) << c[0] << ", " << c[1];
    if (shows) {
      EXPECT_EQ(x, c[3]) << c[0];
      EXPECT_EQ(y, c[4]) << c[1];
    }
  }
}

}  // namespace
