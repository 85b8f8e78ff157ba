// How long the long game's frames take as the arena fills, and how even they
// are: the physics of each frame (updateFrame) timed as the game plays on,
// from the start to the given number of balls (10,000 if none is given).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/scene.h"
#include "long_game.h"
#include "simulation/simulation.h"
#include "world/world.h"

namespace {

// Over the frames played just before the arena held count balls.
void report(const std::vector<std::size_t>& ballCounts, const std::vector<double>& ms,
            std::size_t count, std::size_t frames) {
  const auto reached = std::lower_bound(ballCounts.begin(), ballCounts.end(), count);
  if (reached == ballCounts.end() || reached - ballCounts.begin() < static_cast<long>(frames)) {
    return;
  }
  const auto last = ms.begin() + (reached - ballCounts.begin());
  std::vector<double> window(last - static_cast<long>(frames), last);
  std::sort(window.begin(), window.end());
  const double median = window[frames / 2];
  const double p99 = window[frames * 99 / 100];
  std::printf(
      "%6zu balls: median %6.2f ms, 99th percentile %6.2f ms (%.2fx), worst %6.2f ms (%.2fx)\n",
      count, median, p99, p99 / median, window.back(), window.back() / median);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t target = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10000;
  buildScene();
  LongGame game(1);
  std::vector<std::size_t> ballCounts;
  std::vector<double> ms;
  while (balls.size() < target) {
    game.input();
    const auto begin = std::chrono::steady_clock::now();
    updateFrame();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                     .count());
    ballCounts.push_back(balls.size());
  }
  std::printf("the long game's physics a frame, over the 400 frames before each count:\n");
  for (std::size_t count : {1000, 2500, 5000, 7500, 10000}) {
    report(ballCounts, ms, count, 400);
  }
  return 0;
}
