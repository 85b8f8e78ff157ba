#pragma once

#include <vector>

#include "world/world.h"

// Each ball's list of the walls near it. A list holds every wall that lay
// within the ball's radius plus an allowance of it when the list was made (the
// skin, or half the way to the nearest wall if that is more), and it is remade
// once the ball's move plus the walls' move since then exceeds the allowance:
// a wall that could touch the ball is therefore always on its list.
class WallLists {
 public:
  // Brings the lists up to date with the walls as they are now, for a world of
  // ballCount balls.
  void prepare(const std::vector<Wall>& walls, std::size_t ballCount);

  // Every wall that may touch ball i, in ascending order.
  const std::vector<unsigned>& near(unsigned i, const Ball& ball, const std::vector<Wall>& walls) {
    const double allowance = allowance_[i] - wallMove_;
    if (allowance >= 0.0 && ball.radius == radius_[i] &&
        distanceSquared(ball.position, reference_[i]) <= allowance * allowance) {
      return lists_[i];
    }
    return remake(i, ball, walls);
  }

 private:
  const std::vector<unsigned>& remake(unsigned i, const Ball& ball, const std::vector<Wall>& walls);

  std::vector<Wall> wallsAtReference_;
  std::vector<char> alwaysListed_;  // too far out to reason about: never culled
  double wallScale_ = 0.0;
  double wallMove_ = 0.0;
  std::vector<Vector2D> reference_;
  std::vector<int> radius_;
  std::vector<double> allowance_;  // negative: the list must be made
  std::vector<double> gap_;
  std::vector<std::vector<unsigned>> lists_;
};
