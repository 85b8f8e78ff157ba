#include "app/drawing.h"

#include <cmath>

#include "world/world.h"

namespace {
const char* const mouseHelp =
    "Left Mouse Button - new big ball      Right Mouse Button - new small ball";
const char* const keyHelp = "Arrow Keys - move red ball";

// Positions convert by truncation toward zero. A ball that a far fall has
// carried past the range of int cannot be converted, and one wholly outside the
// bitmap would not show anyway, so only balls that can show are drawn.
void drawBall(BITMAP* target, const Ball& ball, int fill, int ink) {
  const double x = std::trunc(ball.position.x);
  const double y = std::trunc(ball.position.y);
  const double r = ball.radius;
  const bool visible =
      x + r >= 0.0 && x - r <= target->w - 1 && y + r >= 0.0 && y - r <= target->h - 1;
  if (!visible) {
    return;
  }
  const int cx = static_cast<int>(x);
  const int cy = static_cast<int>(y);
  circlefill(target, cx, cy, ball.radius, fill);
  circle(target, cx, cy, ball.radius, ink);
}
}  // namespace

void drawFrame(BITMAP* backBuffer) {
  const int ink = makecol(0, 0, 0);
  clear_to_color(backBuffer, makecol(255, 255, 255));
  for (unsigned i = 0; i < balls.size(); ++i) {
    const int fill = i == 0 ? makecol(255, 0, 0) : makecol(0, 0, 255);
    drawBall(backBuffer, balls[i], fill, ink);
  }
  for (unsigned i = 0; i < walls.size(); ++i) {
    const Wall& wall = walls[i];
    line(backBuffer, static_cast<int>(wall.start.x), static_cast<int>(wall.start.y),
         static_cast<int>(wall.end.x), static_cast<int>(wall.end.y), ink);
  }
  // A background of -1 draws the glyphs only.
  textout_ex(backBuffer, font, mouseHelp, 125, 1, ink, -1);
  textout_ex(backBuffer, font, keyHelp, 300, 592, ink, -1);
  show_mouse(backBuffer);
  draw_sprite(screen, backBuffer, 0, 0);
}
