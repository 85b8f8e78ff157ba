#include "app/controls.h"

#include "world/world.h"

namespace {
constexpr double thrustStep = 0.07;

void spawnOnPress(bool down, bool& latch, int x, int y, int radius, double mass) {
  if (down && !latch) {
    latch = true;
    balls.push_back(Ball(Vector2D(x, y), Vector2D(0.0, 0.0), radius, mass));
  }
  if (!down) {
    latch = false;
  }
}
}  // namespace

void applyArrowKeys(bool up, bool left, bool right) {
  // Down is left to gravity. Right is tested last, so it wins over Left.
  if (up) {
    thrust.y = -thrustStep;
  }
  if (left) {
    thrust.x = -thrustStep;
  }
  if (right) {
    thrust.x = thrustStep;
  }
}

void applyMouseButtons(int buttons, int x, int y) {
  spawnOnPress((buttons & 1) != 0, leftButtonLatch, x, y, 12, 5.0);
  spawnOnPress((buttons & 2) != 0, rightButtonLatch, x, y, 6, 1.0);
}
