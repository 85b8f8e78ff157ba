// The whole frame a user sees, in a real window: the program's own steps
// (input, updateFrame, drawFrame's steps) along the long game, the physics and
// each drawing step timed apart, at a few ball counts. Each frame is drawn a
// second time the plain way (every ball with circlefill then circle), in turn
// before and after the program's way, so the two are timed side by side on the
// same states. Run it in an X server, e.g. xvfb-run; give it a file name to
// also write the figures there as CSV.
#include <allegro.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/disc_pixels.h"
#include "app/drawing.h"
#include "app/scene.h"
#include "long_game.h"
#include "simulation/simulation.h"
#include "world/world.h"

namespace {

constexpr int timedFrames = 100;

enum Step { physics, clearing, discs, wallLines, texts, pointer, copy, plainDrawing, steps };
const char* const stepNames[steps] = {"physics", "clear",   "discs", "walls",
                                      "texts",   "pointer", "copy",  "plain drawing"};

using Clock = std::chrono::steady_clock;

template <typename Action>
double milliseconds(Action action) {
  const auto begin = Clock::now();
  action();
  return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

// The drawing as it was before: the plain calls for every ball, and the back
// buffer copied to the window as a sprite.
void drawPlainly(BITMAP* backBuffer) {
  clearBackBuffer(backBuffer);
  const int ink = makecol(0, 0, 0);
  for (unsigned i = 0; i < balls.size(); ++i) {
    int x = 0, y = 0;
    if (discPixelCentre(balls[i], backBuffer->w, backBuffer->h, x, y)) {
      circlefill(backBuffer, x, y, balls[i].radius,
                 i == 0 ? makecol(255, 0, 0) : makecol(0, 0, 255));
      circle(backBuffer, x, y, balls[i].radius, ink);
    }
  }
  drawWalls(backBuffer);
  drawHelpTexts(backBuffer);
  drawPointer(backBuffer);
  draw_sprite(screen, backBuffer, 0, 0);
}

unsigned ballsOnScreen(const BITMAP* backBuffer) {
  unsigned shown = 0;
  for (const Ball& ball : balls) {
    int x = 0, y = 0;
    shown += discPixelCentre(ball, backBuffer->w, backBuffer->h, x, y) ? 1 : 0;
  }
  return shown;
}

// The median over the timed frames of each step.
std::array<double, steps> medians(std::vector<std::array<double, steps>> frames) {
  std::array<double, steps> median{};
  for (int step = 0; step < steps; ++step) {
    std::nth_element(frames.begin(), frames.begin() + timedFrames / 2, frames.end(),
                     [step](const auto& a, const auto& b) { return a[step] < b[step]; });
    median[step] = frames[timedFrames / 2][step];
  }
  return median;
}

}  // namespace

int main(int argc, char** argv) {
  if (allegro_init() != 0 || install_keyboard() != 0 || install_mouse() < 0 ||
      install_timer() != 0 || set_gfx_mode(GFX_AUTODETECT_WINDOWED, 800, 600, 0, 0) != 0) {
    std::fprintf(stderr, "whole_frame: no window: %s\n", allegro_error);
    return 1;
  }
  set_window_title("Tessmar's Brivolt");
  BITMAP* backBuffer = create_bitmap(SCREEN_W, SCREEN_H);
  DiscImages images;
  buildScene();
  LongGame game(1);
  std::FILE* csv = argc > 1 ? std::fopen(argv[1], "w") : nullptr;
  if (csv != nullptr) {
    std::fprintf(csv, "balls,on screen");
    for (const char* name : stepNames) {
      std::fprintf(csv, ",%s", name);
    }
    std::fprintf(csv, "\n");
  }
  std::printf("%d colour bits; median ms a frame over %d frames of the long game from each count\n",
              bitmap_color_depth(backBuffer), timedFrames);
  std::printf("%6s %9s %8s %8s %7s %7s %7s %7s %7s %7s %8s %7s %7s %7s\n", "balls", "physics",
              "drawing", "clear", "discs", "walls", "texts", "pointer", "copy", "plain", "d/plain",
              "µs/disc", "fps", "plainfps");
  for (std::size_t count : {4, 1000, 2500, 5000, 10000}) {
    // Drawing does not change the world: the frames between counts skip it.
    while (balls.size() < count) {
      game.input();
      updateFrame();
    }
    const unsigned shown = ballsOnScreen(backBuffer);
    std::vector<std::array<double, steps>> frames(timedFrames);
    for (int f = 0; f < timedFrames; ++f) {
      std::array<double, steps>& t = frames[f];
      t[physics] = milliseconds([&] {
        game.input();
        updateFrame();
      });
      const bool plainFirst = f % 2 == 1;
      if (plainFirst) {
        t[plainDrawing] = milliseconds([&] { drawPlainly(backBuffer); });
      }
      t[clearing] = milliseconds([&] { clearBackBuffer(backBuffer); });
      t[discs] = milliseconds([&] { drawBalls(backBuffer, images); });
      t[wallLines] = milliseconds([&] { drawWalls(backBuffer); });
      t[texts] = milliseconds([&] { drawHelpTexts(backBuffer); });
      t[pointer] = milliseconds([&] { drawPointer(backBuffer); });
      t[copy] = milliseconds([&] { showBackBuffer(backBuffer); });
      if (!plainFirst) {
        t[plainDrawing] = milliseconds([&] { drawPlainly(backBuffer); });
      }
    }
    const std::array<double, steps> m = medians(frames);
    double drawing = 0.0;
    for (int step = clearing; step <= copy; ++step) {
      drawing += m[step];
    }
    std::printf(
        "%6zu %9.3f %8.3f %8.3f %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %8.2f %7.3f %7.0f %7.0f\n",
        count, m[physics], drawing, m[clearing], m[discs], m[wallLines], m[texts], m[pointer],
        m[copy], m[plainDrawing], drawing / m[plainDrawing], 1000.0 * m[discs] / shown,
        1000.0 / (m[physics] + drawing), 1000.0 / (m[physics] + m[plainDrawing]));
    std::fflush(stdout);
    if (csv != nullptr) {
      std::fprintf(csv, "%zu,%u", count, shown);
      for (double ms : m) {
        std::fprintf(csv, ",%.5f", ms);
      }
      std::fprintf(csv, "\n");
    }
  }
  if (csv != nullptr) {
    std::fclose(csv);
  }
  return 0;
}
END_OF_MAIN()
