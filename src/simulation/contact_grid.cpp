#include "simulation/contact_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
// Absorbs the rounding of the distance test and of the reach arithmetic.
constexpr double reachMargin = 1.0;
// The window is planned from a sample of at most this many balls.
constexpr std::size_t sampleSize = 256;
constexpr unsigned buildsPerPlan = 10;
// The window reaches this many interquartile ranges beyond the median, which
// covers any one crowd of balls but not the few that fell far away from it.
constexpr double spreadsAroundMedian = 3.0;
constexpr double farthest = 1e15;
constexpr unsigned unplaced = 0xFFFFFFFFu;
}  // namespace

void ContactGrid::build(const std::vector<Ball>& balls) {
  if (balls.size() != plannedCount_ || ++buildsSincePlan_ >= buildsPerPlan) {
    plan(balls);
  }
  bucketBalls(balls);
  findPairs();
  listNeighbours(static_cast<unsigned>(balls.size()));
}

// Cells half as wide as a typical ball's search, which then spans five cells a
// side: a finer grid scans fewer needless candidates for little more work per
// row. Where the balls are few and spread wide the cells grow, so that clearing
// them never costs more than a few steps per ball.
void ContactGrid::plan(const std::vector<Ball>& balls) {
  plannedCount_ = balls.size();
  buildsSincePlan_ = 0;
  double sizeSum = 0.0;
  for (const Ball& ball : balls) {
    sizeSum += std::abs(ball.radius);
  }
  const double typicalSize = balls.empty() ? 0.0 : sizeSum / balls.size();
  const double cellSize = (2.0 * typicalSize + reachMargin) / 2.0;
  const double cellBudget = 16.0 * balls.size() + 64.0;

  const auto [left, right] = crowdSpan(balls, &Vector2D::x, cellSize);
  const auto [top, bottom] = crowdSpan(balls, &Vector2D::y, cellSize);
  const double width = right - left, height = bottom - top;
  const double widest = 4.0 * std::sqrt(cellBudget);
  const double size =
      std::max({cellSize, std::sqrt((width + cellSize) * (height + cellSize) / cellBudget),
                width / widest, height / widest});
  columns_ = Axis{left, 1.0 / size, static_cast<std::int64_t>(std::floor(width / size)) + 1};
  rows_ = Axis{top, 1.0 / size, static_cast<std::int64_t>(std::floor(height / size)) + 1};
}

// Where the crowd lies along one axis, from a sample of the balls: their range,
// less whatever lies more than a few interquartile ranges from the median.
std::pair<double, double> ContactGrid::crowdSpan(const std::vector<Ball>& balls,
                                                 double Vector2D::*axis, double margin) {
  const std::size_t stride = std::max<std::size_t>(1, balls.size() / sampleSize);
  sample_.clear();
  for (std::size_t i = 0; i < balls.size(); i += stride) {
    const Vector2D& p = balls[i].position;
    if (std::isfinite(p.x) && std::isfinite(p.y)) {
      sample_.push_back(p.*axis);
    }
  }
  if (sample_.empty()) {
    return {0.0, 0.0};
  }
  std::sort(sample_.begin(), sample_.end());
  const double median = sample_[sample_.size() / 2];
  const double spread = sample_[sample_.size() * 3 / 4] - sample_[sample_.size() / 4];
  const double reach = spreadsAroundMedian * spread + margin;
  // However far the crowd, its span stays finite.
  const double low = std::max({sample_.front(), median - reach, -farthest});
  const double high = std::min({sample_.back(), median + reach, farthest});
  return {std::min(low, high), high};
}

void ContactGrid::bucketBalls(const std::vector<Ball>& balls) {
  const std::size_t cellCount = static_cast<std::size_t>(columns_.cells * rows_.cells);
  cellStart_.assign(cellCount + 1, 0);
  cellOfBall_.resize(balls.size());
  unsigned placed = 0;
  for (std::size_t i = 0; i < balls.size(); ++i) {
    const Vector2D& p = balls[i].position;
    // A non-finite coordinate makes every squared distance infinite or NaN, so
    // such a ball touches nothing and is left out.
    if (!(std::isfinite(p.x) && std::isfinite(p.y))) {
      cellOfBall_[i] = unplaced;
      continue;
    }
    const std::int64_t cell = rows_.cellOf(p.y) * columns_.cells + columns_.cellOf(p.x);
    cellOfBall_[i] = static_cast<unsigned>(cell);
    ++cellStart_[cell];
    ++placed;
  }
  // Each cell's count becomes its end offset; filling from the back counts it
  // down to the cell's start and keeps the balls of a cell in index order.
  for (std::size_t c = 1; c < cellCount; ++c) {
    cellStart_[c] += cellStart_[c - 1];
  }
  cellStart_[cellCount] = placed;
  members_.resize(placed);
  for (std::size_t i = balls.size(); i-- > 0;) {
    if (cellOfBall_[i] != unplaced) {
      const Ball& ball = balls[i];
      members_[--cellStart_[cellOfBall_[i]]] =
          Entry{ball.position.x, ball.position.y, ball.radius, static_cast<std::uint32_t>(i)};
    }
  }
}

// Balls are taken cell by cell, so that the ones searched together lie close in
// memory; the order of the pairs does not matter, as each ball's list is sorted.
void ContactGrid::findPairs() {
  pairs_.clear();
  for (const Entry& ball : members_) {
    const Vector2D centre(ball.x, ball.y);
    const std::int64_t rank = ball.rank();
    // Any ball no larger than this one that it touches lies within twice its
    // radius; the margin covers rounding.
    const double reach = 2.0 * std::abs(static_cast<double>(ball.radius)) + reachMargin;
    const std::int64_t left = columns_.cellOf(ball.x - reach);
    const std::int64_t right = columns_.cellOf(ball.x + reach);
    const std::int64_t top = rows_.cellOf(ball.y - reach);
    const std::int64_t bottom = rows_.cellOf(ball.y + reach);
    for (std::int64_t row = top; row <= bottom; ++row) {
      // The cells of one row of the search lie side by side in members_.
      const unsigned first = cellStart_[row * columns_.cells + left];
      const unsigned last = cellStart_[row * columns_.cells + right + 1];
      for (unsigned m = first; m < last; ++m) {
        const Entry& other = members_[m];
        // Exact: the sum of two ints, as a double.
        const double radiusSum = static_cast<double>(ball.radius) + other.radius;
        const bool touches =
            distanceSquared(centre, Vector2D(other.x, other.y)) <= square(radiusSum);
        // One rarely taken branch instead of an unpredictable one per candidate.
        if ((other.rank() < rank) & touches) {
          pairs_.push_back(ball.index);
          pairs_.push_back(other.index);
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
