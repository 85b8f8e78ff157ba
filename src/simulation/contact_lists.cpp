#include "simulation/contact_lists.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// How much farther apart than touching two balls may lie and still be listed.
// A wider skin means fewer remade lists and more candidates to test.
constexpr double ballSkin = 3.0;
// The same for walls; the spokes move up to half a pixel a frame, so a wider
// skin lets the lists outlast several frames of the wheel.
constexpr double wallSkin = 4.0;
// Covers the rounding of every distance compared here, with room to spare.
constexpr double relativeSlack = 1e-9;
// Balls are sorted into grids by size, radii below 2^c in grid c, so that a few
// big balls do not make the cells wide for all the small ones.
constexpr int sizeClasses = 33;
// Cells an eighth wider than two balls of their grid can reach, so that a ball
// looks for others of its size in the nine cells around it.
constexpr double cellWidening = 1.125;
// Beyond this a coordinate's square could overflow; such walls are never culled.
constexpr double farthest = 1e100;

int sizeClass(int radius) {
  auto size = static_cast<unsigned>(radius < 0 ? -static_cast<long long>(radius) : radius);
  int sizeClass = 0;
  for (; size > 0; size >>= 1) {
    ++sizeClass;
  }
  return sizeClass;
}

double largestRadius(int sizeClass) {
  return std::ldexp(1.0, sizeClass) - 1.0;
}

// How far a ball of the given radius can be from a ball of size class c that
// it lists, rounding included.
double reachOf(double radius, int sizeClass) {
  return (radius + largestRadius(sizeClass) + ballSkin) * (1.0 + relativeSlack);
}

bool finite(const Vector2D& p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

bool withinFarthest(const Vector2D& p) {
  return std::abs(p.x) <= farthest && std::abs(p.y) <= farthest;
}

double segmentDistance(const Vector2D& p, const Wall& wall) {
  const Vector2D d = wall.end - wall.start;
  const double lengthSquared = square(d.x) + square(d.y);
  double t = ((p.x - wall.start.x) * d.x + (p.y - wall.start.y) * d.y) / lengthSquared;
  t = t > 0.0 ? std::min(t, 1.0) : 0.0;  // also a point wall's NaN
  return std::sqrt(distanceSquared(p, wall.start + d * t));
}
}  // namespace

const double ContactLists::halfSkinSquared = square(ballSkin / 2.0 * (1.0 - relativeSlack));

bool ContactLists::placed(unsigned i) const {
  return finite(reference_[i]);
}

bool ContactLists::withinSkin(unsigned a, unsigned b) const {
  const double reach = std::abs(static_cast<double>(radius_[a]) + radius_[b]) + ballSkin;
  return distanceSquared(reference_[a], reference_[b]) <= square(reach * (1.0 + relativeSlack));
}

// Where there are fewer balls than cells to look at, looking at every ball is
// quicker, and finds the same ones.
template <typename Visit>
void ContactLists::visitWithinSkin(unsigned i, Visit visit) const {
  const auto visitIfWithin = [&](unsigned k) {
    if (k != i && withinSkin(i, k)) {
      visit(k);
    }
  };
  const double radius = std::abs(static_cast<double>(radius_[i]));
  std::size_t cells = 0;
  for (int c = 0; c < sizeClasses; ++c) {
    if (!grids_[c].empty()) {
      cells += grids_[c].cellsWithin(reachOf(radius, c));
    }
  }
  if (reference_.size() <= cells) {
    for (unsigned k = 0; k < reference_.size(); ++k) {
      if (placed(k)) {
        visitIfWithin(k);
      }
    }
    return;
  }
  for (int c = 0; c < sizeClasses; ++c) {
    if (!grids_[c].empty()) {
      grids_[c].visitWithin(reference_[i], reachOf(radius, c), visitIfWithin);
    }
  }
}

void ContactLists::prepare(const std::vector<Ball>& balls, const std::vector<Wall>& walls) {
  const std::size_t known = partners_.size();
  bool sameBalls = !grids_.empty() && balls.size() >= known;
  for (std::size_t i = 0; i < known && sameBalls; ++i) {
    sameBalls = balls[i].radius == radius_[i];
  }
  if (!sameBalls) {
    rebuild(balls);
  } else {
    // Positions may have been set from outside since the last sub-step.
    for (unsigned i = 0; i < known; ++i) {
      moved(i, balls[i].position);
    }
    for (unsigned i = static_cast<unsigned>(known); i < balls.size(); ++i) {
      reference_.push_back(Vector2D(NAN, NAN));
      radius_.push_back(balls[i].radius);
      partners_.emplace_back();
      stale_.push_back(false);
      relocate(i, balls[i].position);
    }
  }
  wallReference_.resize(balls.size());
  wallAllowance_.resize(balls.size(), -1.0);
  wallList_.resize(balls.size());
  prepareWalls(walls);
}

void ContactLists::rebuild(const std::vector<Ball>& balls) {
  wallAllowance_.assign(balls.size(), -1.0);  // a wall list depends on the radius too
  grids_.resize(sizeClasses);
  for (int c = 0; c < sizeClasses; ++c) {
    grids_[c].reset((2.0 * largestRadius(c) + ballSkin) * cellWidening);
  }
  reference_.clear();
  radius_.clear();
  partners_.resize(balls.size());
  stale_.assign(balls.size(), false);
  staleBalls_.clear();
  for (unsigned i = 0; i < balls.size(); ++i) {
    reference_.push_back(balls[i].position);
    radius_.push_back(balls[i].radius);
    partners_[i].clear();
    if (placed(i)) {
      grids_[sizeClass(radius_[i])].place(i, reference_[i]);
    }
  }
  for (unsigned i = 0; i < balls.size(); ++i) {
    if (placed(i)) {
      visitWithinSkin(i, [&](unsigned k) { partners_[i].push_back(k); });
      std::sort(partners_[i].begin(), partners_[i].end());
    }
  }
}

void ContactLists::refreshPartners(const std::vector<Ball>& balls) {
  for (unsigned i : staleBalls_) {
    relocate(i, balls[i].position);
  }
  staleBalls_.clear();
}

// Takes ball i out of the lists and puts it back at its new reference point.
long relocations = 0;
void ContactLists::relocate(unsigned i, const Vector2D& position) {
  ++relocations;
  for (unsigned k : partners_[i]) {
    std::vector<unsigned>& list = partners_[k];
    list.erase(std::lower_bound(list.begin(), list.end(), i));
  }
  partners_[i].clear();
  stale_[i] = false;
  reference_[i] = position;
  // A non-finite centre makes every distance infinite or NaN: it touches nothing.
  CellGrid& grid = grids_[sizeClass(radius_[i])];
  if (!placed(i)) {
    grid.remove(i);
    return;
  }
  grid.place(i, position);
  visitWithinSkin(i, [&](unsigned k) {
    partners_[i].push_back(k);
    std::vector<unsigned>& list = partners_[k];
    list.insert(std::upper_bound(list.begin(), list.end(), i), i);
  });
  std::sort(partners_[i].begin(), partners_[i].end());
}

// The walls are measured against where they stood when the wall lists were
// made; once they have moved half the skin, every wall list is made anew.
void ContactLists::prepareWalls(const std::vector<Wall>& walls) {
  double move = 0.0;
  bool remake = walls.size() != wallsAtReference_.size();
  for (std::size_t w = 0; w < walls.size() && !remake; ++w) {
    if (!wallAlwaysListed_[w]) {
      move = std::max({move, distanceSquared(walls[w].start, wallsAtReference_[w].start),
                       distanceSquared(walls[w].end, wallsAtReference_[w].end)});
      remake = !(move <= square(wallSkin / 2.0));
    }
  }
  wallMove_ = std::sqrt(move) * (1.0 + relativeSlack);
  if (!remake) {
    return;
  }
  wallsAtReference_ = walls;
  wallMove_ = 0.0;
  wallAlwaysListed_.assign(walls.size(), false);
  const double infinity = std::numeric_limits<double>::infinity();
  wallsLeft_ = wallsTop_ = infinity;
  wallsRight_ = wallsBottom_ = -infinity;
  wallScale_ = 0.0;
  for (std::size_t w = 0; w < walls.size(); ++w) {
    const Wall& wall = walls[w];
    wallAlwaysListed_[w] = !(withinFarthest(wall.start) && withinFarthest(wall.end));
    if (!wallAlwaysListed_[w]) {
      wallsLeft_ = std::min({wallsLeft_, wall.start.x, wall.end.x});
      wallsRight_ = std::max({wallsRight_, wall.start.x, wall.end.x});
      wallsTop_ = std::min({wallsTop_, wall.start.y, wall.end.y});
      wallsBottom_ = std::max({wallsBottom_, wall.start.y, wall.end.y});
      wallScale_ = std::max({wallScale_, std::abs(wall.start.x), std::abs(wall.start.y),
                             std::abs(wall.end.x), std::abs(wall.end.y)});
    }
  }
  std::fill(wallAllowance_.begin(), wallAllowance_.end(), -1.0);
}

// A ball far from every wall may go far before it needs a new list: as far as
// the box around all walls, less its radius.
const std::vector<unsigned>& ContactLists::remakeWallList(unsigned i, const Ball& ball,
                                                          const std::vector<Wall>& walls) {
  const Vector2D p = ball.position;
  std::vector<unsigned>& list = wallList_[i];
  list.clear();
  wallReference_[i] = p;
  if (!finite(p)) {
    // Touches no wall; the list is remade each time, as the check fails.
    wallAllowance_[i] = -1.0;
    return list;
  }
  const double radius = std::abs(static_cast<double>(ball.radius));
  const double boxDistance = std::hypot(std::max({wallsLeft_ - p.x, p.x - wallsRight_, 0.0}),
                                        std::max({wallsTop_ - p.y, p.y - wallsBottom_, 0.0}));
  const double scale = std::max({std::abs(p.x), std::abs(p.y), wallScale_});
  // Rounding in the contact and here stays far below this.
  const double margin = 1.0 + relativeSlack * (scale + std::min(boxDistance, farthest));
  const double allowance = std::min(std::max(wallSkin, boxDistance - radius - margin), farthest);
  for (unsigned w = 0; w < walls.size(); ++w) {
    if (wallAlwaysListed_[w] ||
        !(segmentDistance(p, wallsAtReference_[w]) > radius + allowance + margin)) {
      list.push_back(w);
    }
  }
  wallAllowance_[i] = allowance;
  return list;
}
