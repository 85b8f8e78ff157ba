#include "simulation/wall_contact.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "simulation/push_direction.h"
#include "simulation/simulation.h"

namespace {
constexpr double pushGain = 0.06;
constexpr double contactDamping = 0.96;
// Rounding keeps the computed nearest point within far less than this of the
// segment's bounding box and line, so the cull never skips a wall that could touch.
constexpr double cullMargin = 1.0;

// The line through start with the given slope, parametrised by its first
// coordinate. The shallow case uses it as is, the steep case with x and y swapped.
double alongLine(double u, double startU, double startV, double slope) {
  return (u - startU) * slope + startV;
}

// Foot of the perpendicular from (pu, pv), moved onto the segment's bounded
// coordinate range if it falls outside. Returns (u, v) in the same frame.
void nearestInFrame(double su, double sv, double eu, double pu, double pv, double slope, double& u,
                    double& v) {
  const double slopeSquared = square(slope);
  u = (slopeSquared * su + pu + pv * slope - sv * slope) / (slopeSquared + 1.0);
  v = alongLine(u, su, sv, slope);
  const double upper = su > eu ? su : eu;
  const double lower = su > eu ? eu : su;
  if (u < lower) {
    u = lower;
    v = alongLine(u, su, sv, slope);
  }
  if (u > upper) {
    u = upper;
    v = alongLine(u, su, sv, slope);
  }
}

// False for a wall with no usable direction (a point, or a horizontal sliver
// too short for a slope): its nearest point is undefined and it touches nothing.
bool nearestPoint(const Wall& wall, const Vector2D& centre, Vector2D& xy) {
  const double sx = wall.start.x, sy = wall.start.y;
  const double ex = wall.end.x, ey = wall.end.y;
  double slope = 10.0;  // sends near-vertical walls to the steep case
  if (square(ex - sx) > 0.1) {
    slope = (ey - sy) / (ex - sx);
  }
  if (square(slope) < 1.0) {
    nearestInFrame(sx, sy, ex, centre.x, centre.y, slope, xy.x, xy.y);
    return true;
  }
  slope = (ex - sx) / (ey - sy);
  if (!std::isfinite(square(slope))) {
    return false;
  }
  nearestInFrame(sy, sx, ey, centre.y, centre.x, slope, xy.y, xy.x);
  return true;
}
}  // namespace

void resolveWallContact(Ball& ball, const Wall& wall) {
  const double radiusSquared = square(static_cast<double>(ball.radius));
  Vector2D xy;
  if (!nearestPoint(wall, ball.position, xy)) {
    return;
  }
  const double d2 = distanceSquared(xy, ball.position);
  if (!(d2 < radiusSquared)) {
    return;
  }
  // A centre lying on the wall gives no direction: that contact pushes nothing
  // and only damps.
  auto [repelForce, repelDirection] = pushDirection(ball.position - xy);
  const double overlap = distanceSquared(ball.position, xy) - radiusSquared;
  repelForce *= repelDirection * overlap;
  ball.velocity -= repelForce * pushGain;
  ball.velocity *= contactDamping;
}

WallShape WallShape::of(const Wall& wall) {
  WallShape shape{std::min(wall.start.x, wall.end.x),
                  std::max(wall.start.x, wall.end.x),
                  std::min(wall.start.y, wall.end.y),
                  std::max(wall.start.y, wall.end.y),
                  0.0,
                  0.0,
                  0.0};
  const double dx = wall.end.x - wall.start.x;
  const double dy = wall.end.y - wall.start.y;
  const double length = std::sqrt(dx * dx + dy * dy);
  if (length > 0.0 && std::isfinite(length)) {
    shape.normalX = -dy / length;
    shape.normalY = dx / length;
    shape.offset = shape.normalX * wall.start.x + shape.normalY * wall.start.y;
  }
  return shape;
}

bool WallShape::withinReach(const Vector2D& centre, double reach) const {
  const bool inBox = centre.x >= left - reach && centre.x <= right + reach &&
                     centre.y >= top - reach && centre.y <= bottom + reach;
  const double lineDistance = std::abs(normalX * centre.x + normalY * centre.y - offset);
  return inBox && !(lineDistance > reach);
}

double contactReach(const Ball& ball) {
  return std::abs(static_cast<double>(ball.radius)) + cullMargin;
}

namespace {
void resolveEveryWall(Ball& ball, const std::vector<Wall>& walls) {
  const double reach = contactReach(ball);
  for (const Wall& wall : walls) {
    if (WallShape::of(wall).withinReach(ball.position, reach)) {
      resolveWallContact(ball, wall);
    }
  }
}
}  // namespace

// Contacts are applied in wall-index order, each on the velocity the previous
// one left, so a ball in a corner is damped once per wall it touches.
void resolveWallCollisions(unsigned ballIndex) {
  resolveEveryWall(balls[ballIndex], walls);
}

namespace {
constexpr double wallCellSize = 32.0;
constexpr double maximumCellsPerSide = 256.0;
}  // namespace

std::int64_t WallIndex::column(double x) const {
  const double cell = std::floor((x - left_) * inverseCellSize_);
  return std::min(static_cast<std::int64_t>(cell), columns_ - 1);
}

std::int64_t WallIndex::row(double y) const {
  const double cell = std::floor((y - top_) * inverseCellSize_);
  return std::min(static_cast<std::int64_t>(cell), rows_ - 1);
}

// Each wall is listed in every cell that its bounding box, grown by the reach of
// the largest ball, overlaps. Any wall within reach of a ball is then listed in
// the cell of the ball's centre, and a centre outside all grown boxes is within
// reach of no wall.
void WallIndex::build(const std::vector<Wall>& walls, const std::vector<Ball>& balls) {
  double reach = cullMargin;
  for (const Ball& ball : balls) {
    reach = std::max(reach, contactReach(ball));
  }
  const double infinity = std::numeric_limits<double>::infinity();
  left_ = top_ = infinity;
  right_ = bottom_ = -infinity;
  for (const Wall& wall : walls) {
    left_ = std::min(left_, std::min(wall.start.x, wall.end.x) - reach);
    right_ = std::max(right_, std::max(wall.start.x, wall.end.x) + reach);
    top_ = std::min(top_, std::min(wall.start.y, wall.end.y) - reach);
    bottom_ = std::max(bottom_, std::max(wall.start.y, wall.end.y) + reach);
  }
  shapes_.clear();
  for (const Wall& wall : walls) {
    shapes_.push_back(WallShape::of(wall));
  }
  const double extent = std::max(right_ - left_, bottom_ - top_);
  // Walls that reach infinity cannot be gridded; then every wall is looked at.
  everyWall_ = !walls.empty() && !std::isfinite(extent);
  if (walls.empty() || everyWall_) {
    return;
  }
  inverseCellSize_ = 1.0 / std::max(wallCellSize, extent / maximumCellsPerSide);
  columns_ = static_cast<std::int64_t>(std::floor((right_ - left_) * inverseCellSize_)) + 1;
  rows_ = static_cast<std::int64_t>(std::floor((bottom_ - top_) * inverseCellSize_)) + 1;

  cellStart_.assign(static_cast<std::size_t>(columns_ * rows_) + 1, 0);
  wallsInCell_.clear();
  for (int pass = 0; pass < 2; ++pass) {
    for (unsigned w = 0; w < walls.size(); ++w) {
      const Wall& wall = walls[w];
      const std::int64_t firstColumn = column(std::min(wall.start.x, wall.end.x) - reach);
      const std::int64_t lastColumn = column(std::max(wall.start.x, wall.end.x) + reach);
      const std::int64_t firstRow = row(std::min(wall.start.y, wall.end.y) - reach);
      const std::int64_t lastRow = row(std::max(wall.start.y, wall.end.y) + reach);
      for (std::int64_t r = firstRow; r <= lastRow; ++r) {
        for (std::int64_t c = firstColumn; c <= lastColumn; ++c) {
          const std::size_t cell = static_cast<std::size_t>(r * columns_ + c);
          if (pass == 0) {
            ++cellStart_[cell + 1];
          } else {
            wallsInCell_[cellStart_[cell]++] = w;
          }
        }
      }
    }
    if (pass == 0) {
      // Counts become start offsets, then serve as fill cursors.
      for (std::size_t c = 1; c < cellStart_.size(); ++c) {
        cellStart_[c] += cellStart_[c - 1];
      }
      wallsInCell_.resize(cellStart_.back());
    }
  }
  // The cursors have run on to the next cell's start: shift them back.
  for (std::size_t c = cellStart_.size() - 1; c > 0; --c) {
    cellStart_[c] = cellStart_[c - 1];
  }
  cellStart_[0] = 0;
}

void WallIndex::resolveContacts(Ball& ball, const std::vector<Wall>& walls) const {
  const Vector2D centre = ball.position;
  const double reach = contactReach(ball);
  if (everyWall_) {
    resolveEveryWall(ball, walls);
    return;
  }
  if (!(centre.x >= left_ && centre.x <= right_ && centre.y >= top_ && centre.y <= bottom_)) {
    return;
  }
  const std::size_t cell = static_cast<std::size_t>(row(centre.y) * columns_ + column(centre.x));
  for (unsigned i = cellStart_[cell]; i < cellStart_[cell + 1]; ++i) {
    if (shapes_[wallsInCell_[i]].withinReach(centre, reach)) {
      resolveWallContact(ball, walls[wallsInCell_[i]]);
    }
  }
}
