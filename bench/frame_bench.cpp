// Frame cost of the scenes users make, side by side with its floor (the same
// frames with every touching pair and wall handed over for free, bench/floor.h)
// and with the exhaustive search. Each timed run is a few consecutive frames
// from one state of the world, taken together with the contact search's state,
// so that the frames follow on from those before them as in a game.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/scene.h"
#include "floor.h"
#include "long_game.h"
#include "simulation/contact_search.h"
#include "simulation/simulation.h"
#include "support/exhaustive_physics.h"
#include "world/world.h"

namespace {

constexpr int timedFrames = 10;
constexpr int settleFrames = 300;

// The world with the contact search's memory of it.
struct Snapshot {
  std::vector<Ball> balls;
  std::vector<Wall> walls;
  double spinAngle;
  ContactSearch search;

  static Snapshot take() { return Snapshot{::balls, ::walls, ::spinAngle, ::contactSearch}; }
  void restore() const {
    ::balls = balls;
    ::walls = walls;
    ::spinAngle = spinAngle;
    ::contactSearch = search;
  }
};

void settle(int frames) {
  for (int frame = 0; frame < frames; ++frame) {
    updateFrame();
  }
}

// The scene as the program starts it.
void freshArena() {
  contactSearch = ContactSearch();
  balls.clear();
  walls.clear();
  spinAngle = 0.0;
  buildScene();
}

// Ball 0 and balls on a lattice filled row by row from the top of the arena,
// at rest, their sizes taken in turn from radii.
void lattice(int count, double spacing, std::vector<int> radii) {
  freshArena();
  balls.erase(balls.begin() + 1, balls.end());
  for (double y = 23; y < 590; y += spacing) {
    for (double x = 23; x < 790 && static_cast<int>(balls.size()) < count; x += spacing) {
      const int radius = radii[balls.size() % radii.size()];
      balls.push_back(Ball(Vector2D(x, y), Vector2D(), radius, radius == 6 ? 1.0 : 5.0));
    }
  }
}

// Balls that fell out of the arena long ago, at their falling speed, spread
// over hundreds of thousands of pixels below it or beside it.
void addFallen(int count, bool beside) {
  for (int i = 0; i < count; ++i) {
    const double spread = 300.0 * i;
    const double x =
        beside ? (i % 2 == 0 ? -1000.0 - spread : 1800.0 + spread) : 20.0 + (i * 7919) % 760;
    const double y = beside ? 100.0 + (i * 37) % 400 : 1000.0 + spread;
    balls.push_back(Ball(Vector2D(x, y), Vector2D(beside ? 0.3 : 0.0, 4.99), 6, 1.0));
  }
}

// The long game, played from the start until the arena holds count balls.
// Each count is reached once, played on from the largest count below it that
// has been, whatever order the scenes are made in.
void longGame(std::size_t count) {
  static std::map<std::size_t, std::pair<LongGame, Snapshot>> played;
  if (played.count(count) == 0) {
    auto from = played.lower_bound(count);
    std::pair<LongGame, Snapshot> game = from == played.begin() ? [] {
      freshArena();
      return std::make_pair(LongGame(1), Snapshot::take());
    }() : std::prev(from)->second;
    game.second.restore();
    while (balls.size() < count) {
      game.first.input();
      updateFrame();
    }
    game.second = Snapshot::take();
    played.emplace(count, game);
  }
  played.at(count).second.restore();
}

struct Scene {
  std::string name;
  int balls;
  std::function<void()> make;
};

std::vector<Scene> scenes() {
  std::vector<Scene> all;
  all.push_back({"start", 4, freshArena});
  for (int count : {1000, 2500, 3750, 5000}) {
    all.push_back({"long game", count, [count] { longGame(count); }});
  }
  for (int count : {100, 300, 1000, 1500, 2500}) {
    all.push_back({"falling", count, [count] { lattice(count, 13, {6}); }});
    all.push_back({"settled", count, [count] {
                     lattice(count, 13, {6});
                     settle(settleFrames);
                   }});
  }
  all.push_back({"mixed falling", 374, [] { lattice(374, 34, {6, 12, 16}); }});
  all.push_back({"mixed settled", 374, [] {
                   lattice(374, 34, {6, 12, 16});
                   settle(settleFrames);
                 }});
  for (bool beside : {false, true}) {
    all.push_back({beside ? "fallen beside" : "fallen below", 2500, [beside] {
                     lattice(1500, 13, {6});
                     settle(settleFrames);
                     addFallen(1000, beside);
                   }});
  }
  return all;
}

// Times timedFrames frames from the scene's state; the restore is not timed.
void timeFrames(benchmark::State& state, const Snapshot& start,
                const std::function<void(int)>& frame) {
  for (auto _ : state) {
    start.restore();
    const auto begin = std::chrono::steady_clock::now();
    for (int f = 0; f < timedFrames; ++f) {
      frame(f);
    }
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    benchmark::DoNotOptimize(balls.data());
  }
}

// The scene's state, and what touched in its timed frames, found untimed by
// the exhaustive search; made when the scene's first benchmark runs, so that a
// filter skips the scenes it leaves out. All three ways of running the frames
// must agree before any is timed.
struct Prepared {
  Snapshot start;
  std::vector<SubStepContacts> contacts;
  bool agree;
};

Prepared prepare(const Scene& scene) {
  scene.make();
  Prepared prepared{Snapshot::take(), {}, false};
  settle(timedFrames);
  const std::vector<Ball> fast = balls;
  prepared.start.restore();
  for (int f = 0; f < timedFrames; ++f) {
    exhaustiveUpdateFrame(&prepared.contacts);
  }
  const std::vector<Ball> exhaustive = balls;
  prepared.start.restore();
  for (int f = 0; f < timedFrames; ++f) {
    floor_frame::frame(prepared.contacts.data() + 10 * f);
  }
  prepared.agree = sameBits(fast, exhaustive) && sameBits(balls, exhaustive);
  return prepared;
}

double firstSubStepPairs(const Prepared& ready) {
  double pairs = 0;
  for (int f = 0; f < timedFrames; ++f) {
    pairs += static_cast<double>(ready.contacts[10 * f].pairs.size() / 2);
  }
  return pairs;
}

// The scenes whose three ways of running disagreed: the benchmark then fails.
std::set<std::string> disagreeing;

void registerScene(const Scene& scene) {
  auto prepared = std::make_shared<std::unique_ptr<Prepared>>();
  const std::string suffix = "/" + scene.name + "/" + std::to_string(scene.balls);
  const auto add = [&](const std::string& kind, std::function<void(const Prepared&, int)> frame) {
    benchmark::RegisterBenchmark((kind + suffix).c_str(),
                                 [scene, prepared, frame](benchmark::State& state) {
                                   if (!*prepared) {
                                     *prepared = std::make_unique<Prepared>(prepare(scene));
                                   }
                                   const Prepared& ready = **prepared;
                                   if (!ready.agree) {
                                     disagreeing.insert("the " + scene.name + " scene of " +
                                                        std::to_string(scene.balls) + " balls");
                                     state.SkipWithError("the searches disagree");
                                     return;
                                   }
                                   timeFrames(state, ready.start, [&](int f) { frame(ready, f); });
                                   state.counters["pairs"] = firstSubStepPairs(ready);
                                 })
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond)
        ->MinTime(0.3);
  };
  add("frame", [](const Prepared&, int) { updateFrame(); });
  add("floor",
      [](const Prepared& ready, int f) { floor_frame::frame(ready.contacts.data() + 10 * f); });
  add("exhaustive", [](const Prepared&, int) { exhaustiveUpdateFrame(); });
  if (scene.name == "long game" && scene.balls == 5000) {
    // The pushes alone, in a flat loop over the touching pairs of each timed
    // frame's first sub-step: the floor's against the program's.
    add("push floor", [](const Prepared& ready, int f) {
      const std::vector<unsigned>& pairs = ready.contacts[10 * f].pairs;
      for (std::size_t p = 0; p < pairs.size(); p += 2) {
        floor_frame::push(balls[pairs[p]], balls[pairs[p + 1]]);
      }
    });
    add("push program", [](const Prepared& ready, int f) {
      const std::vector<unsigned>& pairs = ready.contacts[10 * f].pairs;
      for (std::size_t p = 0; p < pairs.size(); p += 2) {
        resolveBallCollision(pairs[p], pairs[p + 1]);
      }
    });
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  for (const Scene& scene : scenes()) {
    registerScene(scene);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (const std::string& scene : disagreeing) {
    std::fprintf(stderr,
                 "brivolt_bench: the frame, its floor and the exhaustive search disagree on %s\n",
                 scene.c_str());
  }
  return disagreeing.empty() ? 0 : 1;
}
