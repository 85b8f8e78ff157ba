#include "app/drawing.h"

#include "app/disc_pixels.h"
#include "world/world.h"

namespace {
const char* const mouseHelp =
    "Left Mouse Button - new big ball      Right Mouse Button - new small ball";
const char* const keyHelp = "Arrow Keys - move red ball";

void drawBall(BITMAP* target, const Ball& ball, int fill, int ink) {
  int x = 0;
  int y = 0;
  if (discPixelCentre(ball, target->w, target->h, x, y)) {
    circlefill(target, x, y, ball.radius, fill);
    circle(target, x, y, ball.radius, ink);
  }
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
