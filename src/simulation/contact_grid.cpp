#include "simulation/contact_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

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

// The cells the balls occupy along one axis, cut down to at most limit cells
// around the median when a few balls lie far away.
ContactGrid::Span ContactGrid::spanOf(std::vector<std::int64_t>& cells, std::int64_t limit) {
  if (cells.empty()) {
    return Span{0, 1};
  }
  const auto [low, high] = std::minmax_element(cells.begin(), cells.end());
  if (*high - *low < limit) {
    return Span{*low, *high - *low + 1};
  }
  scratch_ = cells;
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
  entries_.clear();
  for (unsigned i = 0; i < balls.size(); ++i) {
    const Ball& ball = balls[i];
    // A non-finite coordinate makes every squared distance infinite or NaN, so
    // such a ball touches nothing and is left out.
    if (std::isfinite(ball.position.x) && std::isfinite(ball.position.y)) {
      const int size = std::abs(ball.radius);
      entries_.push_back(Entry{ball.position.x, ball.position.y, ball.radius, size, i});
      sizeSum += size;
    }
  }
  // About as wide as a typical ball's search, which then spans three cells a side;
  // the few larger balls search further, over more cells.
  const std::size_t placed = entries_.size();
  const double typicalSize = placed > 0 ? sizeSum / placed : 0.0;
  inverseCellSize_ = 1.0 / (2.0 * typicalSize + reachMargin);

  cellX_.resize(placed);
  cellY_.resize(placed);
  for (std::size_t e = 0; e < placed; ++e) {
    cellX_[e] = cellOf(entries_[e].x);
    cellY_[e] = cellOf(entries_[e].y);
  }
  // Room for the arena, or about four cells per ball, whatever the spread.
  const std::int64_t limit =
      std::max<std::int64_t>(72, 2 * static_cast<std::int64_t>(std::sqrt(double(placed))));
  columns_ = spanOf(cellX_, limit);
  rows_ = spanOf(cellY_, limit);

  const std::size_t cellCount = static_cast<std::size_t>(columns_.count * rows_.count);
  cellStart_.assign(cellCount + 1, 0);
  cellOfEntry_.resize(placed);
  for (std::size_t e = 0; e < placed; ++e) {
    const std::int64_t cell = rows_.clamp(cellY_[e]) * columns_.count + columns_.clamp(cellX_[e]);
    cellOfEntry_[e] = static_cast<unsigned>(cell);
    ++cellStart_[cell + 1];
  }
  for (std::size_t c = 0; c < cellCount; ++c) {
    cellStart_[c + 1] += cellStart_[c];
  }
  // The start offsets serve as fill cursors and are shifted back afterwards.
  members_.resize(placed);
  for (std::size_t e = 0; e < placed; ++e) {
    members_[cellStart_[cellOfEntry_[e]]++] = entries_[e];
  }
  for (std::size_t c = cellCount; c > 0; --c) {
    cellStart_[c] = cellStart_[c - 1];
  }
  cellStart_[0] = 0;
}

// Ball j looks only for balls no larger than itself (equal ones above its own
// index), so each pair is found once. Any ball it touches then lies within
// twice its radius; the margin covers rounding.
void ContactGrid::findPairs() {
  pairs_.clear();
  for (const Entry& ball : entries_) {
    const Vector2D centre(ball.x, ball.y);
    const double reach = 2.0 * ball.size + reachMargin;
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
        const bool looksForOther =
            (other.size < ball.size) | ((other.size == ball.size) & (other.index > ball.index));
        const double radiusSum = static_cast<double>(ball.radius + other.radius);
        const bool touches =
            distanceSquared(centre, Vector2D(other.x, other.y)) <= square(radiusSum);
        // One rarely taken branch instead of an unpredictable one per candidate.
        if (looksForOther & touches) {
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
