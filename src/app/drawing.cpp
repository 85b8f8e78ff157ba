#include "app/drawing.h"

#include "app/disc_pixels.h"
#include "world/world.h"

namespace {
const char* const mouseHelp =
    "Left Mouse Button - new big ball      Right Mouse Button - new small ball";
const char* const keyHelp = "Arrow Keys - move red ball";
}  // namespace

void clearBackBuffer(BITMAP* backBuffer) {
  clear_to_color(backBuffer, makecol(255, 255, 255));
}

void drawBalls(BITMAP* backBuffer, DiscImages& discs) {
  const int ink = makecol(0, 0, 0);
  const int player = makecol(255, 0, 0);
  const int others = makecol(0, 0, 255);
  for (unsigned i = 0; i < balls.size(); ++i) {
    int x = 0;
    int y = 0;
    if (discPixelCentre(balls[i], backBuffer->w, backBuffer->h, x, y)) {
      discs.draw(backBuffer, x, y, balls[i].radius, i == 0 ? player : others, ink);
    }
  }
}

void drawWalls(BITMAP* backBuffer) {
  const int ink = makecol(0, 0, 0);
  for (unsigned i = 0; i < walls.size(); ++i) {
    const Wall& wall = walls[i];
    line(backBuffer, static_cast<int>(wall.start.x), static_cast<int>(wall.start.y),
         static_cast<int>(wall.end.x), static_cast<int>(wall.end.y), ink);
  }
}

void drawHelpTexts(BITMAP* backBuffer) {
  // A background of -1 draws the glyphs only.
  textout_ex(backBuffer, font, mouseHelp, 125, 1, makecol(0, 0, 0), -1);
  textout_ex(backBuffer, font, keyHelp, 300, 592, makecol(0, 0, 0), -1);
}

void drawPointer(BITMAP* backBuffer) {
  show_mouse(backBuffer);
}

// No colour the frame is drawn in is the mask colour (in 8 bits, makecol never
// gives index 0 but for magic pink), so a plain blit shows the same pixels as
// draw_sprite, without testing each of the 480,000 for it: half the copy.
void showBackBuffer(BITMAP* backBuffer) {
  blit(backBuffer, screen, 0, 0, 0, 0, backBuffer->w, backBuffer->h);
}

void drawFrame(BITMAP* backBuffer, DiscImages& discs) {
  clearBackBuffer(backBuffer);
  drawBalls(backBuffer, discs);
  drawWalls(backBuffer);
  drawHelpTexts(backBuffer);
  drawPointer(backBuffer);
  showBackBuffer(backBuffer);
}
