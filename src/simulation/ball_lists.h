#pragma once

#include <vector>

#include "simulation/cell_grid.h"
#include "world/world.h"

// Neighbour lists with a skin: each ball keeps the balls that lay near it when
// its list was made, and a list is remade only when its ball has moved too far
// since. What makes them exact:
//
// Distances between balls are measured in a frame that drifts along with the
// crowd (any drift will do: it moves every ball alike, so it changes no
// distance between two balls; following the crowd only keeps the lists valid
// for longer). A ball's list holds exactly the balls whose reference points
// (where each ball stood in the drifting frame when its own list was last
// made) lie within the sum of the radii plus a skin of its own; lists are
// remade in pairs, so that holds both ways. When a pair pass runs, no ball is
// more than half the skin from its reference point, so two balls that touch
// then had reference points within the sum of their radii plus the skin: every
// touching pair is listed. Only the balls that moved too far are remade, so a
// ball flying far from everything costs no more than its own list.
class BallLists {
 public:
  // Brings the lists up to date with the balls changed since last time: new
  // balls, anything set from outside. True if every list was made anew, as
  // when a radius changed.
  bool prepare(const std::vector<Ball>& balls);

  // Remakes the ball lists of the balls that moved too far.
  void refreshPartners(const std::vector<Ball>& balls);

  // Every ball that may touch ball j, in ascending order, j itself excluded.
  const std::vector<unsigned>& partners(unsigned j) const { return partners_[j]; }

  // Moves the drifting frame along with the step most balls are about to take.
  void advanceDrift(const std::vector<Ball>& balls, const Vector2D& gravity);

  // Ball i has moved to position.
  void moved(unsigned i, const Vector2D& position) {
    const Vector2D offset = (position - reference_[i]) - (drift_ - driftAtReference_[i]);
    const double allowanceSquared = loner_[i] ? lonerAllowanceSquared_ : halfSkinSquared_;
    if (!(square(offset.x) + square(offset.y) <= allowanceSquared) && placed(i) && !stale_[i]) {
      stale_[i] = true;
      staleBalls_.push_back(i);
    }
  }

 private:
  bool placed(unsigned i) const;
  Vector2D referencePoint(unsigned i) const;
  bool withinSkin(unsigned a, unsigned b) const;
  template <typename Visit>
  void visitWithinSkin(unsigned i, Visit visit) const;
  void rebuild(const std::vector<Ball>& balls);
  void join(unsigned i);
  void updateAllowances();
  void relocate(unsigned i, const std::vector<Ball>& balls);
  bool alone(unsigned i, const Vector2D& key) const;
  void becomeLoner(unsigned i, const Vector2D& key);

  std::vector<CellGrid> grids_;                 // by size class
  std::vector<int> activeClasses_;              // the size classes that have balls
  std::vector<std::vector<unsigned>> members_;  // the balls of each size class
  Vector2D drift_;
  double driftScale_ = 0.0;  // the largest drift coordinate so far, for the rounding
  double halfSkinSquared_ = 0.0;
  double lonerAllowanceSquared_ = 0.0;
  double largestRadius_ = 0.0;
  double lonerReach_ = 0.0;
  CellGrid presence_;  // every placed ball
  CellGrid loners_;    // the loners alone
  std::vector<char> loner_;
  std::vector<unsigned> lonersLeaving_;
  std::vector<Vector2D> reference_;  // where each ball stood when its list was made
  std::vector<Vector2D> driftAtReference_;
  std::vector<int> radius_;
  std::vector<std::vector<unsigned>> partners_;
  std::vector<char> stale_;
  std::vector<unsigned> staleBalls_;
  std::vector<double> sample_;
};
