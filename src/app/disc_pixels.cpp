#include "app/disc_pixels.h"

#include <cmath>

bool discPixelCentre(const Ball& ball, int width, int height, int& x, int& y) {
  const double tx = std::trunc(ball.position.x);
  const double ty = std::trunc(ball.position.y);
  const double r = std::abs(static_cast<double>(ball.radius));
  const bool shows =
      tx + r >= 0.0 && tx - r <= width - 1.0 && ty + r >= 0.0 && ty - r <= height - 1.0;
  if (!shows) {
    return false;
  }
  x = static_cast<int>(tx);
  y = static_cast<int>(ty);
  return true;
}
