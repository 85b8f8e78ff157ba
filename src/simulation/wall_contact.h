#pragma once

#include <cstdint>
#include <vector>

#include "world/world.h"

// One wall's contact with one ball: finds the point of the segment nearest to
// the centre and, if it lies strictly inside the disc, pushes the ball's
// velocity away from it and damps it. Changes nothing but ball.velocity.
void resolveWallContact(Ball& ball, const Wall& wall);

// False when the centre lies outside the wall's bounding box grown by reach on
// every side. With reach at least one pixel more than the radius such a wall
// cannot touch the ball, so skipping it changes nothing.
bool wallWithinReach(const Wall& wall, const Vector2D& centre, double reach);

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
  // What the cull needs of a wall: its bounding box, and its line as a unit
  // normal and offset (all zero for a wall without direction, which culls nothing).
  struct Shape {
    double left, right, top, bottom;
    double normalX, normalY, offset;
  };

  std::int64_t column(double x) const;
  std::int64_t row(double y) const;

  double left_ = 0.0, right_ = -1.0, top_ = 0.0, bottom_ = -1.0;
  double inverseCellSize_ = 1.0;
  bool everyWall_ = false;
  std::int64_t columns_ = 1, rows_ = 1;
  std::vector<unsigned> cellStart_;    // cell c lists wallsInCell_[start[c], start[c + 1])
  std::vector<unsigned> wallsInCell_;  // ascending wall index within a cell
  std::vector<Shape> shapes_;
};
