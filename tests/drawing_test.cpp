#include "app/drawing.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory_resource>
#include <sstream>
#include <string>

#include "app/controls.h"
#include "app/disc_images.h"
#include "app/disc_pixels.h"
#include "app/scene.h"
#include "simulation/simulation.h"
#include "support/world_fixture.h"

namespace {

// The balls drawn into memory bitmaps as the program draws them, against
// circlefill then circle for every ball: every pixel must be the same.
class Drawing : public WorldTest {
 protected:
  static void SetUpTestSuite() {
    // Memory bitmaps need the library, not a display.
    ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, atexit), 0);
    select_palette(default_palette);
  }

  static BITMAP* blank(int depth) {
    BITMAP* bitmap = create_bitmap_ex(depth, 800, 600);
    clear_to_color(bitmap, makecol_depth(depth, 255, 255, 255));
    return bitmap;
  }

  // The same balls, drawn the program's way and the plain way; empty when
  // every pixel agrees, else where the first that does not is. The plain
  // calls draw on a bitmap with a margin, as they can write outside a bitmap
  // when given a negative radius, and are then cut to the window.
  std::string difference(int depth = 8) {
    set_color_depth(depth);
    BITMAP* program = blank(depth);
    drawBalls(program, discs);
    constexpr int margin = 100;
    BITMAP* padded = create_bitmap_ex(depth, 800 + 2 * margin, 600 + 2 * margin);
    clear_to_color(padded, makecol(255, 255, 255));
    for (unsigned i = 0; i < balls.size(); ++i) {
      int x = 0, y = 0;
      if (discPixelCentre(balls[i], program->w, program->h, x, y)) {
        const int fill = makecol(i == 0 ? 255 : 0, 0, i == 0 ? 0 : 255);
        circlefill(padded, x + margin, y + margin, balls[i].radius, fill);
        circle(padded, x + margin, y + margin, balls[i].radius, makecol(0, 0, 0));
      }
    }
    BITMAP* plain = create_sub_bitmap(padded, margin, margin, 800, 600);
    std::string found = firstDifference(program, plain);
    destroy_bitmap(plain);
    destroy_bitmap(padded);
    destroy_bitmap(program);
    set_color_depth(8);
    return found;
  }

  static std::string firstDifference(BITMAP* a, BITMAP* b) {
    for (int y = 0; y < a->h; ++y) {
      for (int x = 0; x < a->w; ++x) {
        if (getpixel(a, x, y) != getpixel(b, x, y)) {
          std::ostringstream where;
          where << "(" << x << ", " << y << "): " << getpixel(a, x, y) << " not "
                << getpixel(b, x, y);
          return where.str();
        }
      }
    }
    return "";
  }

  DiscImages discs;
};

// A crowd as the game makes it: big and small balls dropped all over the window,
// piled up and overlapping by the physics, ball 0 red among them.
TEST_F(Drawing, CrowdOfTheGameMatchesPlainCalls) {
  buildScene();
  for (int pass = 0; balls.size() < 700; ++pass) {
    applyMouseButtons(pass % 2 == 0 ? 1 + pass % 4 / 2 : 0, pass * 7919 % 800, pass * 4099 % 600);
    updateFrame();
  }
  EXPECT_EQ(difference(), "");
  // The whole frame as the window gets it. The walls and help texts lie over
  // the balls: every pixel they ink alone is ink in the frame, also where a
  // wall crosses a ball. The frame holds no pixel of the mask colour, which a
  // copy to the window by draw_sprite would leave out.
  BITMAP* window = create_bitmap_ex(8, 800, 600);
  BITMAP* frame = create_bitmap_ex(8, 800, 600);
  screen = window;
  drawFrame(frame, discs);
  screen = nullptr;
  BITMAP* lines = blank(8);
  drawWalls(lines);
  drawHelpTexts(lines);
  BITMAP* crowd = blank(8);
  drawBalls(crowd, discs);
  const int ink = makecol(0, 0, 0), white = makecol(255, 255, 255);
  int inkOverFills = 0;
  for (int y = 0; y < frame->h; ++y) {
    for (int x = 0; x < frame->w; ++x) {
      const int shown = getpixel(window, x, y);
      ASSERT_NE(shown, bitmap_mask_color(frame)) << x << ", " << y;
      if (getpixel(lines, x, y) == ink) {
        ASSERT_EQ(shown, ink) << "a ball hides a wall or text at " << x << ", " << y;
        inkOverFills += getpixel(crowd, x, y) != white && getpixel(crowd, x, y) != ink;
      }
    }
  }
  EXPECT_GT(inkOverFills, 100) << "too few walls cross the balls to tell the order";
  for (BITMAP* bitmap : {window, frame, lines, crowd}) {
    destroy_bitmap(bitmap);
  }
}

// Every radius up to past the largest image either way, in each colour depth
// in turn, whole, cut by the corners and edges and overlapping, at sub-pixel
// centres; negative ones draw a cross, which the plain calls can write outside
// the bitmap.
TEST_F(Drawing, EveryRadiusMatchesPlainCalls) {
  const int largest = DiscImages::largestImageRadius;
  for (int radius = -largest; radius <= largest + 3; ++radius) {
    resetWorld();
    addBall(400.5, 300.5, radius);
    addBall(1.5, 2, radius);
    addBall(798, 597.9, radius);
    addBall(radius / 2.0 + 3, 599 + radius / 3.0, radius);
    addBall(radius / 2.0 + 5.7, 590 + radius / 3.0, radius);
    const int depth = 8 << (radius + largest) % 3;
    ASSERT_EQ(difference(depth), "") << "radius " << radius << ", " << depth << " bits";
  }
  resetWorld();
  for (int radius : {1000, 30000, -90, INT_MAX}) {
    addBall(400, 300, radius);
  }
  EXPECT_EQ(difference(), "");
  // Beyond the images, a negative radius whose cross would leave the bitmap
  // is not drawn, rather than written outside it.
  resetWorld();
  for (int radius : {-90, INT_MIN}) {
    addBall(1, 2, radius);
    addBall(400, 599, radius);
  }
  BITMAP* program = blank(8);
  BITMAP* white = blank(8);
  drawBalls(program, discs);
  EXPECT_EQ(firstDifference(program, white), "");
  destroy_bitmap(program);
  destroy_bitmap(white);
}

// Images are made once and then found: drawing the same discs again makes
// none, and a disc differing in one of radius, fill or ink alone gets its own.
// A fill or ink of the mask colour cannot live in an image, and nor can a disc
// when no memory is left: the plain calls draw them.
TEST_F(Drawing, ImagesAreMadeOnceAndMaskColoursDrawPlainly) {
  buildScene();
  for (int pass = 0; pass < 3; ++pass) {
    EXPECT_EQ(difference(), "");
    EXPECT_EQ(discs.imageCount(), 3u);
  }
  // Each depth in turn: the same look at another depth is another image.
  DiscImages starved(std::pmr::null_memory_resource());  // whose memory has run out
  for (unsigned depths = 1; depths <= 3; ++depths) {
    BITMAP* program = blank(4 << depths);
    BITMAP* plain = blank(4 << depths);
    const int mask = bitmap_mask_color(plain);
    const int looks[][3] = {{12, mask, 7}, {12, 7, mask}, {12, 7, 9}, {13, 7, 9},
                            {12, 8, 9},    {12, 7, 10},   {20, 7, 9}};
    for (int i = 0; i < 7; ++i) {
      const int x = 60 + 110 * i, radius = looks[i][0], fill = looks[i][1], ink = looks[i][2];
      (i == 6 ? starved : discs).draw(program, x, 300, radius, fill, ink);
      circlefill(plain, x, 300, radius, fill);
      circle(plain, x, 300, radius, ink);
    }
    EXPECT_EQ(firstDifference(program, plain), "") << (4 << depths) << " bits";
    EXPECT_EQ(discs.imageCount(), 3 + 4 * depths);
    destroy_bitmap(program);
    destroy_bitmap(plain);
  }
  EXPECT_EQ(starved.imageCount(), 0u);
}

}  // namespace
