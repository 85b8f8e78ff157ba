// Frame cost of the standard arena filled with small balls, for the grid contact
// search of the program and for the exhaustive search it replaces.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "app/scene.h"
#include "simulation/simulation.h"
#include "support/exhaustive_physics.h"
#include "support/world_bits.h"
#include "world/world.h"

namespace {

struct Snapshot {
  std::vector<Ball> balls;
  std::vector<Wall> walls;
  double spinAngle;
};

// The four balls of the start, or ball 0 and radius-6 balls on the points of a
// 13-pixel grid, filled row by row from the top of the arena, all at rest; then
// settled for some frames, which piles the balls up on the floor.
Snapshot arena(int count, int settleFrames) {
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
  for (int frame = 0; frame < settleFrames; ++frame) {
    updateFrame();
  }
  return Snapshot{balls, walls, spinAngle};
}

void restore(const Snapshot& snapshot) {
  balls = snapshot.balls;
  walls = snapshot.walls;
  spinAngle = snapshot.spinAngle;
}

template <void (*frame)()>
void frameCost(benchmark::State& state) {
  const Snapshot start = arena(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  // Both searches must agree before either is timed.
  restore(start);
  updateFrame();
  const std::vector<Ball> fast = balls;
  restore(start);
  exhaustiveUpdateFrame();
  if (!sameBits(fast, balls)) {
    state.SkipWithError("grid and exhaustive search disagree");
    return;
  }
  for (auto _ : state) {
    // Every timed frame starts from the same state; the copy is not timed.
    restore(start);
    const auto begin = std::chrono::steady_clock::now();
    frame();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    benchmark::DoNotOptimize(balls.data());
  }
}

void gridSearch(benchmark::State& state) {
  frameCost<updateFrame>(state);
}
void exhaustiveSearch(benchmark::State& state) {
  frameCost<exhaustiveUpdateFrame>(state);
}

// Ball counts, then frames of settling before the timed frame.
void scenes(benchmark::internal::Benchmark* benchmark) {
  for (int count : {4, 100, 800, 2500}) {
    benchmark->Args({count, 0});
  }
  for (int count : {800, 2500}) {
    benchmark->Args({count, 200});
  }
  benchmark->ArgNames({"balls", "settled"})->Unit(benchmark::kMicrosecond)->UseManualTime();
}

BENCHMARK(gridSearch)->Apply(scenes);
BENCHMARK(exhaustiveSearch)->Apply(scenes);

}  // namespace

BENCHMARK_MAIN();
