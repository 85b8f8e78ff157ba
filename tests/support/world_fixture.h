#pragma once

#include <gtest/gtest.h>

#include "world/world.h"

// Every test starts from the world as it is before start-up.
class WorldTest : public ::testing::Test {
 protected:
  void SetUp() override { resetWorld(); }

  static void resetWorld() {
    balls.clear();
    walls.clear();
    thrust = Vector2D(0.0, 0.0);
    spinAngle = 0.0;
    leftButtonLatch = false;
    rightButtonLatch = false;
  }

  static unsigned addBall(double x, double y, int radius, double mass = 1.0) {
    balls.push_back(Ball(Vector2D(x, y), Vector2D(0.0, 0.0), radius, mass));
    return static_cast<unsigned>(balls.size() - 1);
  }
};
