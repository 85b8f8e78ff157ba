// Frame cost of the standard arena filled with small balls, for the grid contact
// search of the program and for the exhaustive search it replaces.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "app/scene.h"
#include "simulation/simulation.h"
#include "support/exhaustive_physics.h"
#include "world/world.h"

namespace {

struct Snapshot {
  std::vector<Ball> balls;
  std::vector<Wall> walls;
  double spinAngle;
};

// The four balls of the start, or ball 0 and radius-6 balls on the points of a
// 13-pixel grid, filled row by row from the top of the arena, all at rest.
Snapshot arena(int count) {
  balls.clear();
  walls.clear();
  spinAngle = 0.0;
  buildScene();
  if (count > 4) {
    balls.erase(balls.begin() + 1, balls.end());
    for (double y = 23; y < 590 && static_cast<int>(balls.size()) < count; y += 13) {
      for (double x = 23; x < 790 && static_cast<int>(balls.size()) < count; x += 13) {
        balls.push_back(Ball(Vector2D(x, y), Vector2D(0.0, 0.0), 6, 1.0));
      }
    }
  }
  return Snapshot{balls, walls, spinAngle};
}

void restore(const Snapshot& snapshot) {
  balls = snapshot.balls;
  walls = snapshot.walls;
  spinAngle = snapshot.spinAngle;
}

bool sameBalls(const std::vector<Ball>& a, const std::vector<Ball>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Ball)) == 0;
}

template <void (*frame)()>
void frameCost(benchmark::State& state) {
  const Snapshot start = arena(static_cast<int>(state.range(0)));
  // Both searches must agree before either is timed.
  restore(start);
  updateFrame();
  const std::vector<Ball> fast = balls;
  restore(start);
  exhaustiveUpdateFrame();
  if (!sameBalls(fast, balls)) {
    state.SkipWithError("grid and exhaustive search disagree");
    return;
  }
  for (auto _ : state) {
    restore(start);
    frame();
    benchmark::DoNotOptimize(balls.data());
  }
  state.counters["balls"] = static_cast<double>(balls.size());
}

void gridSearch(benchmark::State& state) {
  frameCost<updateFrame>(state);
}
void exhaustiveSearch(benchmark::State& state) {
  frameCost<exhaustiveUpdateFrame>(state);
}

BENCHMARK(gridSearch)->Arg(4)->Arg(100)->Arg(800)->Arg(2500)->Unit(benchmark::kMicrosecond);
BENCHMARK(exhaustiveSearch)->Arg(4)->Arg(100)->Arg(800)->Arg(2500)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
