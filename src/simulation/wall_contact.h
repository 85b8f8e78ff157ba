#pragma once

#include <cstdint>
#include <vector>

#include "world/world.h"

// One wall's contact with one ball: finds the point of the segment nearest to
// the centre and, if it lies strictly inside the disc, pushes the ball's
// velocity away from it and damps it. Changes nothing but ball.velocity.
void resolveWallContact(Ball& ball, const Wall& wall);

// What the cull needs of a wall: its bounding box, and its line as a unit normal
// and offset (all zero for a wall without direction, whose line culls nothing).
struct WallShape {
  double left, right, top, bottom;
  double normalX, normalY, offset;

  static WallShape of(const Wall& wall);

  // False when the centre lies farther than reach outside the bounding box or
  // from the line. The nearest point that the contact computes lies on both, up
  // to rounding far below a pixel, so with reach at least a pixel more than the
  // radius a wall culled here cannot touch the ball, and skipping it changes
  // nothing.
  bool withinReach(const Vector2D& centre, double reach) const;
};

// How far from a ball's centre a wall can touch it, with the margin the cull needs.
double contactReach(const Ball& ball);

// Which walls can come within reach of a ball centred in each cell of a coarse
// grid over the walls. It serves while the walls and the ball sizes stay as
// they were at build time, which holds for one run of the physics sub-steps.
class WallIndex {
 public:
  void build(const std::vector<Wall>& walls, const std::vector<Ball>& balls);

  // The same contacts, in the same order, as resolveWallCollisions applies, but
  // looking only at the walls listed for the ball's cell.
  void resolveContacts(Ball& ball, const std::vector<Wall>& walls) const;

 private:
  std::int64_t column(double x) const;
  std::int64_t row(double y) const;

  double left_ = 0.0, right_ = -1.0, top_ = 0.0, bottom_ = -1.0;
  double inverseCellSize_ = 1.0;
  bool everyWall_ = false;
  std::int64_t columns_ = 1, rows_ = 1;
  std::vector<unsigned> cellStart_;    // cell c lists wallsInCell_[start[c], start[c + 1])
  std::vector<unsigned> wallsInCell_;  // ascending wall index within a cell
  std::vector<WallShape> shapes_;
};
