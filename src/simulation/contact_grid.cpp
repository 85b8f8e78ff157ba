#include "simulation/contact_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {
// Cell coordinates are clamped so that the conversion to an integer is always
// defined; clamping, like the window's edges, keeps neighbours neighbours.
constexpr double cellLimit = 1e12;
// Absorbs the rounding of the distance test and of the reach arithmetic.
constexpr double reachMargin = 1.0;
}  // namespace

std::int64_t ContactGrid::Span::clamp(std::int64_t cell) const {
  return std::min(std::max(cell, first), first + count - 1) - first;
}

// Multiplying by the inverse rounds differently from dividing, but it is
// monotonic, and a monotonic cell function is all the search relies on.
std::int64_t ContactGrid::cellOf(double coordinate) const {
  const double cell = std::floor(coordinate * inverseCellSize_);
  return static_cast<std::int64_t>(std::clamp(cell, -cellLimit, cellLimit));
}

// The cells that the placed balls occupy along one axis, from the extreme
// coordinates; cut down to limit cells around the median when a few balls lie far
// away from the rest.
ContactGrid::Span ContactGrid::spanOf(const std::vector<Ball>& balls, double Vector2D::*axis,
                                      double low, double high, std::int64_t limit) {
  if (placed_.empty()) {
    return Span{0, 1};
  }
  const std::int64_t first = cellOf(low), last = cellOf(high);
  if (last - first < limit) {
    return Span{first, last - first + 1};
  }
  scratch_.resize(placed_.size());
  for (std::size_t p = 0; p < placed_.size(); ++p) {
    scratch_[p] = cellOf(balls[placed_[p]].position.*axis);
  }
  auto middle = scratch_.begin() + scratch_.size() / 2;
  std::nth_element(scratch_.begin(), middle, scratch_.end());
  return Span{*middle - limit / 2, limit};
}

void ContactGrid::build(const std::vector<Ball>& balls) {
  bucketBalls(balls);
  findPairs();
  listNeighbours(static_cast<unsigned>(balls.size()));
}

void ContactGrid::bucketBalls(const std::vector<Ball>& balls) {
  double sizeSum = 0.0;
  const double infinity = std::numeric_limits<double>::infinity();
  double left = infinity, right = -infinity, top = infinity, bottom = -infinity;
  placed_.clear();
  for (unsigned i = 0; i < balls.size(); ++i) {
    const Vector2D& p = balls[i].position;
    // A non-finite coordinate makes every squared distance infinite or NaN, so
    // such a ball touches nothing and is left out.
    if (std::isfinite(p.x) && std::isfinite(p.y)) {
      placed_.push_back(i);
      sizeSum += std::abs(balls[i].radius);
      left = std::min(left, p.x);
      right = std::max(right, p.x);
      top = std::min(top, p.y);
      bottom = std::max(bottom, p.y);
    }
  }
  // Half as wide as a typical ball's search, which then spans five cells a side:
  // a finer grid scans fewer needless candidates for little more work per row.
  const std::size_t placed = placed_.size();
  const double typicalSize = placed > 0 ? sizeSum / placed : 0.0;
  inverseCellSize_ = 2.0 / (2.0 * typicalSize + reachMargin);

  // Room for the arena, or a few cells per ball, whatever the spread.
  const std::int64_t limit =
      std::max<std::int64_t>(160, 4 * static_cast<std::int64_t>(std::sqrt(double(placed))));
  columns_ = spanOf(balls, &Vector2D::x, left, right, limit);
  rows_ = spanOf(balls, &Vector2D::y, top, bottom, limit);

  const std::size_t cellCount = static_cast<std::size_t>(columns_.count * rows_.count);
  cellStart_.assign(cellCount + 1, 0);
  cellOfPlaced_.resize(placed);
  for (std::size_t p = 0; p < placed; ++p) {
    const Vector2D& position = balls[placed_[p]].position;
    const std::int64_t cell =
        rows_.clamp(cellOf(position.y)) * columns_.count + columns_.clamp(cellOf(position.x));
    cellOfPlaced_[p] = static_cast<unsigned>(cell);
    ++cellStart_[cell];
  }
  // Each cell's count becomes its end offset; filling from the back counts it
  // down to the cell's start and keeps the balls of a cell in index order.
  for (std::size_t c = 1; c < cellCount; ++c) {
    cellStart_[c] += cellStart_[c - 1];
  }
  cellStart_[cellCount] = static_cast<unsigned>(placed);
  members_.resize(placed);
  for (std::size_t p = placed; p > 0; --p) {
    const unsigned i = placed_[p - 1];
    const Ball& ball = balls[i];
    const std::int64_t rank =
        std::int64_t{std::abs(ball.radius)} * 0x100000000ll + (0xFFFFFFFFll - i);
    members_[--cellStart_[cellOfPlaced_[p - 1]]] =
        Entry{ball.position.x, ball.position.y, static_cast<double>(ball.radius), rank};
  }
}

// Balls are taken cell by cell, so that the ones searched together lie close in
// memory; the order of the pairs does not matter, as each ball's list is sorted.
void ContactGrid::findPairs() {
  pairs_.clear();
  for (const Entry& ball : members_) {
    const Vector2D centre(ball.x, ball.y);
    // Any ball no larger than this one that it touches lies within twice its
    // radius; the margin covers rounding.
    const double reach = 2.0 * std::abs(ball.radius) + reachMargin;
    const std::int64_t left = columns_.clamp(cellOf(ball.x - reach));
    const std::int64_t right = columns_.clamp(cellOf(ball.x + reach));
    const std::int64_t top = rows_.clamp(cellOf(ball.y - reach));
    const std::int64_t bottom = rows_.clamp(cellOf(ball.y + reach));
    for (std::int64_t row = top; row <= bottom; ++row) {
      // The cells of one row of the search lie side by side in members_.
      const unsigned first = cellStart_[row * columns_.count + left];
      const unsigned last = cellStart_[row * columns_.count + right + 1];
      for (unsigned m = first; m < last; ++m) {
        const Entry& other = members_[m];
        const double radiusSum = ball.radius + other.radius;
        const bool touches =
            distanceSquared(centre, Vector2D(other.x, other.y)) <= square(radiusSum);
        // One rarely taken branch instead of an unpredictable one per candidate.
        if ((other.rank < ball.rank) & touches) {
          pairs_.push_back(ball.index());
          pairs_.push_back(other.index());
        }
      }
    }
  }
}

// Turns the pairs into one ascending neighbour list per ball.
void ContactGrid::listNeighbours(unsigned count) {
  neighbourStart_.assign(count + 1, 0);
  for (unsigned ball : pairs_) {
    ++neighbourStart_[ball + 1];
  }
  for (unsigned i = 0; i < count; ++i) {
    neighbourStart_[i + 1] += neighbourStart_[i];
  }
  neighbours_.resize(pairs_.size());
  for (unsigned p = 0; p < pairs_.size(); p += 2) {
    neighbours_[neighbourStart_[pairs_[p]]++] = pairs_[p + 1];
    neighbours_[neighbourStart_[pairs_[p + 1]]++] = pairs_[p];
  }
  for (unsigned i = count; i > 0; --i) {
    neighbourStart_[i] = neighbourStart_[i - 1];
  }
  neighbourStart_[0] = 0;
  // The lists are short: an insertion sort beats a general sort here.
  for (unsigned i = 0; i < count; ++i) {
    unsigned* first = neighbours_.data() + neighbourStart_[i];
    unsigned* last = neighbours_.data() + neighbourStart_[i + 1];
    for (unsigned* next = first + 1; next < last; ++next) {
      const unsigned value = *next;
      unsigned* hole = next;
      for (; hole > first && *(hole - 1) > value; --hole) {
        *hole = *(hole - 1);
      }
      *hole = value;
    }
  }
}
