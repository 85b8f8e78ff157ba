#pragma once

#include <vector>

#include "simulation/cell_grid.h"
#include "world/world.h"

// Neighbour lists with a skin. Each ball keeps the balls, and separately the
// walls, that lay near it when its list was made, and a list is remade only
// when its ball has moved too far since. What makes them exact:
//
// Balls. A ball's list holds exactly the balls whose reference points (where
// each ball stood when its own list was last made) lie within the sum of the
// radii plus a skin of its own reference point; lists are remade in pairs, so
// that holds both ways. No ball is ever more than half the skin away from its
// reference point when a pair pass runs, so two balls that touch now had
// reference points within the sum of their radii plus the skin: every touching
// pair is in the lists. Only the balls that moved too far are remade, so a ball
// flying far from everything costs nothing but its own list.
//
// Walls. A ball's wall list holds every wall that lay within its radius plus an
// allowance of it (at least a skin, more for a ball far from all walls), and it
// is remade once the ball's move plus the walls' move since exceeds that
// allowance. A wall that could touch the ball now is therefore on the list.
class ContactLists {
 public:
  // Brings the lists up to date with balls and walls changed since last time:
  // new balls, moved walls, anything set from outside.
  void prepare(const std::vector<Ball>& balls, const std::vector<Wall>& walls);

  // Remakes the ball lists of the balls that moved too far. Call before using
  // partners() after positions changed.
  void refreshPartners(const std::vector<Ball>& balls);

  // Every ball that may touch ball j, in ascending order, j itself excluded.
  const std::vector<unsigned>& partners(unsigned j) const { return partners_[j]; }

  // Every wall that may touch the ball, in ascending order.
  const std::vector<unsigned>& wallsNear(unsigned i, const Ball& ball,
                                         const std::vector<Wall>& walls) {
    const double allowance = wallAllowance_[i] - wallMove_;
    if (allowance >= 0.0 &&
        distanceSquared(ball.position, wallReference_[i]) <= allowance * allowance) {
      return wallList_[i];
    }
    return remakeWallList(i, ball, walls);
  }

  // Ball i has moved to position.
  void moved(unsigned i, const Vector2D& position) {
    if (!(distanceSquared(position, reference_[i]) <= halfSkinSquared) && placed(i) && !stale_[i]) {
      stale_[i] = true;
      staleBalls_.push_back(i);
    }
  }

 private:
  static const double halfSkinSquared;

  bool placed(unsigned i) const;
  bool withinSkin(unsigned a, unsigned b) const;
  void rebuild(const std::vector<Ball>& balls);
  // Calls visit(k) for every other placed ball k within the skin of ball i.
  template <typename Visit>
  void visitWithinSkin(unsigned i, Visit visit) const;
  void relocate(unsigned i, const Vector2D& position);
  void prepareWalls(const std::vector<Wall>& walls);
  const std::vector<unsigned>& remakeWallList(unsigned i, const Ball& ball,
                                              const std::vector<Wall>& walls);

  std::vector<CellGrid> grids_;  // by size class
  std::vector<Vector2D> reference_;
  std::vector<int> radius_;
  std::vector<std::vector<unsigned>> partners_;
  std::vector<char> stale_;
  std::vector<unsigned> staleBalls_;

  std::vector<Wall> wallsAtReference_;
  std::vector<char> wallAlwaysListed_;  // too far out to reason about: never culled
  double wallsLeft_ = 0.0, wallsRight_ = 0.0, wallsTop_ = 0.0, wallsBottom_ = 0.0;
  double wallScale_ = 0.0;
  double wallMove_ = 0.0;
  std::vector<Vector2D> wallReference_;
  std::vector<double> wallAllowance_;  // negative: the list must be made
  std::vector<std::vector<unsigned>> wallList_;
};
