#include "simulation/wall_lists.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {
// The spokes move up to half a pixel a frame: a wide skin lets the lists
// outlast several frames of the wheel.
constexpr double wallSkin = 4.0;
// Covers the rounding of the distances compared here and in the contact, with
// room to spare.
constexpr double relativeSlack = 1e-9;
// Beyond this a coordinate's square could overflow; such walls are never culled.
constexpr double farthest = 1e100;

bool withinFarthest(const Vector2D& p) {
  return std::abs(p.x) <= farthest && std::abs(p.y) <= farthest;
}

double segmentDistanceSquared(const Vector2D& p, const Wall& wall) {
  const Vector2D d = wall.end - wall.start;
  const double lengthSquared = square(d.x) + square(d.y);
  double t = ((p.x - wall.start.x) * d.x + (p.y - wall.start.y) * d.y) / lengthSquared;
  t = t > 0.0 ? std::min(t, 1.0) : 0.0;  // also a point wall's NaN
  return distanceSquared(p, wall.start + d * t);
}
}  // namespace

// The walls are measured against where they stood when the lists were made;
// once they have moved half the skin, every list is made anew.
void WallLists::prepare(const std::vector<Wall>& walls, std::size_t ballCount) {
  listings_.resize(ballCount);
  double move = 0.0;
  bool remakeAll = walls.size() != wallsAtReference_.size();
  for (std::size_t w = 0; w < walls.size() && !remakeAll; ++w) {
    if (!alwaysListed_[w]) {
      move = std::max({move, distanceSquared(walls[w].start, wallsAtReference_[w].start),
                       distanceSquared(walls[w].end, wallsAtReference_[w].end)});
      remakeAll = !(move <= square(wallSkin / 2.0));
    }
  }
  wallMove_ = std::sqrt(move) * (1.0 + relativeSlack);
  if (!remakeAll) {
    return;
  }
  wallsAtReference_ = walls;
  wallMove_ = 0.0;
  alwaysListed_.assign(walls.size(), false);
  wallScale_ = 0.0;
  for (std::size_t w = 0; w < walls.size(); ++w) {
    const Wall& wall = walls[w];
    alwaysListed_[w] = !(withinFarthest(wall.start) && withinFarthest(wall.end));
    if (!alwaysListed_[w]) {
      wallScale_ = std::max({wallScale_, std::abs(wall.start.x), std::abs(wall.start.y),
                             std::abs(wall.end.x), std::abs(wall.end.y)});
    }
  }
  allWalls_.resize(walls.size());
  std::iota(allWalls_.begin(), allWalls_.end(), 0U);
  listings_.assign(listings_.size(), Listing());
}

void WallLists::remake(Listing& listing, const Ball& ball, const std::vector<Wall>& walls) {
  const Vector2D p = ball.position;
  listing.count = 0;
  listing.reference = p;
  listing.radius = ball.radius;
  if (!(std::isfinite(p.x) && std::isfinite(p.y))) {
    // Touches no wall; the list is remade each time, as the check fails.
    listing.allowance = -1.0;
    return;
  }
  const double radius = std::abs(static_cast<double>(ball.radius));
  const double margin = 1.0 + relativeSlack * std::max({std::abs(p.x), std::abs(p.y), wallScale_});
  squaredDistance_.resize(walls.size());  // squared: only the nearest needs a square root
  double nearestSquared = std::numeric_limits<double>::infinity();
  for (std::uint32_t w = 0; w < walls.size(); ++w) {
    squaredDistance_[w] = segmentDistanceSquared(p, wallsAtReference_[w]);
    if (!alwaysListed_[w]) {
      nearestSquared = std::min(nearestSquared, squaredDistance_[w]);
    }
  }
  const double nearest = std::sqrt(nearestSquared) - radius - margin;
  const double allowance = std::min(std::max(wallSkin, nearest / 2.0), farthest);
  const double listedWithin = square(allowance + radius + margin);
  for (std::uint32_t w = 0; w < walls.size(); ++w) {
    if (alwaysListed_[w] || !(squaredDistance_[w] > listedWithin)) {
      if (listing.count < inlineWalls) {
        listing.walls[listing.count] = w;
      }
      ++listing.count;
    }
  }
  listing.allowance = allowance;
}
