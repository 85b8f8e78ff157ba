#include "simulation/ball_lists.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
// How much farther apart than touching two balls may lie and still be listed.
// A wider skin means fewer remade lists and more candidates to test.
constexpr double ballSkin = 3.0;
// Cover the rounding of every distance compared here, with room to spare: of
// the distances themselves, and of the drift's coordinates.
constexpr double relativeSlack = 1e-9;
constexpr double driftSlack = 1e-12;
// A ball with no other ball near it may move this far before its list is
// remade: a ball falling far from the crowd is remade every few sub-steps
// rather than at every one.
constexpr double lonerAllowance = 64.0;
// The drift stops short of this, so that its rounding stays far below a pixel.
constexpr double farthestDrift = 1e9;
// The drift follows the median step of this many balls, spread over them all.
constexpr std::size_t driftSample = 15;
// Balls are sorted into grids by size, radii below 2^c in grid c, so that a few
// big balls do not make the cells wide for all the small ones.
constexpr int sizeClasses = 33;
// Cells an eighth wider than two balls of their grid can reach, so that a ball
// looks for others of its size in the nine cells around it.
constexpr double cellWidening = 1.125;

int sizeClass(int radius) {
  auto size = static_cast<unsigned>(radius < 0 ? -static_cast<long long>(radius) : radius);
  int sizeClass = 0;
  for (; size > 0; size >>= 1) {
    ++sizeClass;
  }
  return sizeClass;
}

double largestRadius(int sizeClass) {
  return static_cast<double>((std::uint64_t{1} << sizeClass) - 1);
}

// How far a ball of the given radius can be from a ball of size class c that
// it lists, rounding included.
double reachOf(double radius, int sizeClass) {
  return (radius + largestRadius(sizeClass) + ballSkin) * (1.0 + 2.0 * relativeSlack);
}

bool finite(const Vector2D& p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

}  // namespace

bool BallLists::placed(unsigned i) const {
  return finite(reference_[i]);
}

// Where ball i stood in the drifting frame when its list was made.
Vector2D BallLists::referencePoint(unsigned i) const {
  return reference_[i] - driftAtReference_[i];
}

bool BallLists::withinSkin(unsigned a, unsigned b) const {
  const Vector2D gap =
      (reference_[a] - reference_[b]) - (driftAtReference_[a] - driftAtReference_[b]);
  const double reach = std::abs(static_cast<double>(radius_[a]) + radius_[b]) + ballSkin;
  const double slack = reach * relativeSlack + driftScale_ * driftSlack;
  return square(gap.x) + square(gap.y) <= square(reach + slack);
}

// Where a grid holds fewer balls than there are cells to look at, looking at
// each of its balls is quicker, and finds the same ones.
template <typename Visit>
void BallLists::visitWithinSkin(unsigned i, Visit visit) const {
  const auto visitIfWithin = [&](unsigned k) {
    if (k != i && withinSkin(i, k)) {
      visit(k);
    }
  };
  const double radius = std::abs(static_cast<double>(radius_[i]));
  const Vector2D point = referencePoint(i);
  for (int c : activeClasses_) {
    const double reach = reachOf(radius, c);
    if (members_[c].size() <= grids_[c].cellsWithin(reach)) {
      for (unsigned k : members_[c]) {
        if (placed(k)) {
          visitIfWithin(k);
        }
      }
    } else {
      grids_[c].visitWithin(point, reach, visitIfWithin);
    }
  }
}

bool BallLists::prepare(const std::vector<Ball>& balls) {
  const std::size_t known = partners_.size();
  bool sameBalls = !grids_.empty() && balls.size() >= known;
  for (std::size_t i = 0; i < known && sameBalls; ++i) {
    sameBalls = balls[i].radius == radius_[i];
  }
  for (std::size_t i = known; i < balls.size() && sameBalls; ++i) {
    sameBalls = std::abs(static_cast<double>(balls[i].radius)) <= largestRadius_;
  }
  if (!sameBalls) {
    rebuild(balls);
    return true;
  }
  // Positions may have been set from outside since the last sub-step.
  for (unsigned i = 0; i < known; ++i) {
    moved(i, balls[i].position);
  }
  for (unsigned i = static_cast<unsigned>(known); i < balls.size(); ++i) {
    reference_.push_back(Vector2D(NAN, NAN));
    driftAtReference_.push_back(drift_);
    radius_.push_back(balls[i].radius);
    partners_.emplace_back();
    stale_.push_back(false);
    loner_.push_back(false);
    join(i);
    staleBalls_.push_back(i);
  }
  refreshPartners(balls);
  return false;
}

void BallLists::rebuild(const std::vector<Ball>& balls) {
  grids_.resize(sizeClasses);
  for (int c = 0; c < sizeClasses; ++c) {
    grids_[c].reset((2.0 * largestRadius(c) + ballSkin) * cellWidening);
  }
  activeClasses_.clear();
  members_.assign(sizeClasses, {});
  largestRadius_ = 0.0;
  for (const Ball& ball : balls) {
    largestRadius_ = std::max(largestRadius_, std::abs(static_cast<double>(ball.radius)));
  }
  // Reaches every ball that a loner's allowance could concern.
  lonerReach_ =
      (2.0 * largestRadius_ + 2.0 * lonerAllowance + ballSkin) * (1.0 + relativeSlack) + 1.0;
  presence_.reset(lonerReach_ * cellWidening);
  loners_.reset(lonerReach_ * cellWidening);
  loner_.assign(balls.size(), false);
  updateAllowances();
  reference_.assign(balls.size(), Vector2D(NAN, NAN));
  driftAtReference_.assign(balls.size(), drift_);
  radius_.clear();
  partners_.resize(balls.size());
  stale_.assign(balls.size(), false);
  staleBalls_.clear();
  for (unsigned i = 0; i < balls.size(); ++i) {
    radius_.push_back(balls[i].radius);
    partners_[i].clear();
    reference_[i] = balls[i].position;
    join(i);
    if (placed(i)) {
      grids_[sizeClass(radius_[i])].place(i, referencePoint(i));
      presence_.place(i, referencePoint(i));
    }
  }
  for (unsigned i = 0; i < balls.size(); ++i) {
    if (placed(i)) {
      visitWithinSkin(i, [&](unsigned k) { partners_[i].push_back(k); });
      std::sort(partners_[i].begin(), partners_[i].end());
    }
  }
}

// Enters a new ball in its size class.
void BallLists::join(unsigned i) {
  const int c = sizeClass(radius_[i]);
  if (members_[c].empty()) {
    activeClasses_.push_back(c);
  }
  members_[c].push_back(i);
}

void BallLists::updateAllowances() {
  const double rounding = driftScale_ * driftSlack;
  halfSkinSquared_ = square(std::max(ballSkin / 2.0 * (1.0 - relativeSlack) - rounding, 0.0));
  lonerAllowanceSquared_ = square(std::max(lonerAllowance * (1.0 - relativeSlack) - rounding, 0.0));
}

void BallLists::advanceDrift(const std::vector<Ball>& balls, const Vector2D& gravity) {
  const std::size_t count = std::min(balls.size(), driftSample);
  if (count == 0) {
    return;
  }
  const auto median = [&](double Vector2D::*axis) {
    sample_.clear();
    for (std::size_t k = 0; k < count; ++k) {
      const Vector2D& velocity = balls[k * balls.size() / count].velocity;
      sample_.push_back(velocity.*axis + gravity.*axis);
    }
    std::nth_element(sample_.begin(), sample_.begin() + count / 2, sample_.end());
    return sample_[count / 2];
  };
  const Vector2D next = drift_ + Vector2D(median(&Vector2D::x), median(&Vector2D::y));
  if (std::abs(next.x) <= farthestDrift && std::abs(next.y) <= farthestDrift) {
    drift_ = next;
    driftScale_ = std::max({driftScale_, std::abs(next.x), std::abs(next.y)});
    updateAllowances();
  }
}

void BallLists::refreshPartners(const std::vector<Ball>& balls) {
  // Remaking one list can make another ball stale: it joins the end of these.
  for (std::size_t s = 0; s < staleBalls_.size(); ++s) {
    relocate(staleBalls_[s], balls);
  }
  staleBalls_.clear();
}

// True if no other ball's reference point lies within lonerReach_ of key.
bool BallLists::alone(unsigned i, const Vector2D& key) const {
  const double reachSquared = square(lonerReach_);
  return presence_.allFar(key, lonerReach_, [&](unsigned k) {
    return k == i || distanceSquared(referencePoint(k), key) > reachSquared;
  });
}

void BallLists::becomeLoner(unsigned i, const Vector2D& key) {
  loner_[i] = true;
  loners_.place(i, key);
}

// Takes ball i out of the lists and puts it back at its new reference point.
// Loners. Besides the skin, each ball has an allowance: half the skin, or for a
// loner, a ball that had no other ball within lonerReach_ when it was placed,
// the larger lonerAllowance. The lists keep to this rule: two balls not listed
// together have reference points farther apart than the sum of their radii and
// of their allowances. A ball placed near a loner takes the loner's allowance
// away first, so the rule holds.
void BallLists::relocate(unsigned i, const std::vector<Ball>& balls) {
  for (unsigned k : partners_[i]) {
    std::vector<unsigned>& list = partners_[k];
    list.erase(std::lower_bound(list.begin(), list.end(), i));
  }
  partners_[i].clear();
  stale_[i] = false;
  const bool wasLoner = loner_[i];
  if (wasLoner) {
    loner_[i] = false;
    loners_.remove(i);
  }
  reference_[i] = balls[i].position;
  driftAtReference_[i] = drift_;
  // A non-finite centre makes every distance infinite or NaN: it touches nothing.
  CellGrid& grid = grids_[sizeClass(radius_[i])];
  if (!placed(i)) {
    grid.remove(i);
    presence_.remove(i);
    return;
  }
  const Vector2D key = referencePoint(i);
  grid.place(i, key);
  presence_.place(i, key);
  // A loner is most likely alone still, and then has no partners and no
  // loners near it to take the allowance from.
  if (wasLoner && alone(i, key)) {
    becomeLoner(i, key);
    return;
  }
  visitWithinSkin(i, [&](unsigned k) {
    partners_[i].push_back(k);
    std::vector<unsigned>& list = partners_[k];
    list.insert(std::upper_bound(list.begin(), list.end(), i), i);
  });
  std::sort(partners_[i].begin(), partners_[i].end());
  if (!loners_.empty()) {
    loners_.visitWithin(key, lonerReach_, [&](unsigned k) {
      loner_[k] = false;
      lonersLeaving_.push_back(k);
    });
    for (unsigned k : lonersLeaving_) {
      loners_.remove(k);
      moved(k, balls[k].position);
    }
    lonersLeaving_.clear();
  }
  if (partners_[i].empty() && alone(i, key)) {
    becomeLoner(i, key);
  }
}
