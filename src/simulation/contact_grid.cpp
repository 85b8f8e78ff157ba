#include "simulation/contact_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
// Cell coordinates are clamped so that the conversion to an integer is always
// defined. Clamping keeps neighbouring cells neighbours, so balls far outside
// the arena still find each other, only with more candidates.
constexpr double cellLimit = 1e12;
constexpr double reachMargin = 1.0;
}  // namespace

std::int64_t ContactGrid::cellOf(double coordinate) const {
  const double cell = std::floor(coordinate / cellSize_);
  return static_cast<std::int64_t>(std::clamp(cell, -cellLimit, cellLimit));
}

unsigned ContactGrid::bucketOf(std::int64_t cellX, std::int64_t cellY) const {
  const std::uint64_t hash = static_cast<std::uint64_t>(cellX) * 0x9E3779B97F4A7C15ull ^
                             static_cast<std::uint64_t>(cellY) * 0xC2B2AE3D27D4EB4Full;
  return static_cast<unsigned>(hash >> 32) & bucketMask_;
}

void ContactGrid::build(const std::vector<Ball>& balls) {
  const unsigned count = static_cast<unsigned>(balls.size());
  largestRadius_ = 0.0;
  for (unsigned i = 0; i < count; ++i) {
    largestRadius_ = std::max(largestRadius_, std::abs(static_cast<double>(balls[i].radius)));
  }
  cellSize_ = 2.0 * largestRadius_ + reachMargin;

  unsigned bucketCount = 16;
  while (bucketCount < 2 * count) {
    bucketCount *= 2;
  }
  bucketMask_ = bucketCount - 1;
  bucketStart_.assign(bucketCount + 1, 0);
  entries_.resize(count);
  placed_.resize(count);
  for (unsigned i = 0; i < count; ++i) {
    const Ball& ball = balls[i];
    entries_[i] = Entry{ball.position.x, ball.position.y, ball.radius, i};
    // A non-finite coordinate makes every squared distance infinite or NaN, so
    // such a ball touches nothing.
    placed_[i] = std::isfinite(ball.position.x) && std::isfinite(ball.position.y);
    if (placed_[i]) {
      ++bucketStart_[bucketOf(cellOf(ball.position.x), cellOf(ball.position.y)) + 1];
    }
  }
  for (unsigned b = 0; b < bucketCount; ++b) {
    bucketStart_[b + 1] += bucketStart_[b];
  }
  members_.resize(bucketStart_[bucketCount]);
  // Filling in index order keeps every bucket ascending; the start offsets are
  // advanced as cursors and shifted back afterwards.
  for (unsigned i = 0; i < count; ++i) {
    if (placed_[i]) {
      const unsigned b = bucketOf(cellOf(entries_[i].x), cellOf(entries_[i].y));
      members_[bucketStart_[b]++] = entries_[i];
    }
  }
  for (unsigned b = bucketCount; b > 0; --b) {
    bucketStart_[b] = bucketStart_[b - 1];
  }
  bucketStart_[0] = 0;
}

void ContactGrid::findTouching(unsigned j, std::vector<unsigned>& touching) {
  touching.clear();
  if (!placed_[j]) {
    return;
  }
  const Entry& ball = entries_[j];
  const Vector2D centre(ball.x, ball.y);
  // Any ball it touches has its centre within both radii of this one; the extra
  // pixel absorbs rounding in the distance test.
  const double reach = std::abs(static_cast<double>(ball.radius)) + largestRadius_ + reachMargin;
  const std::int64_t left = cellOf(ball.x - reach), right = cellOf(ball.x + reach);
  const std::int64_t top = cellOf(ball.y - reach), bottom = cellOf(ball.y + reach);

  // Distinct cells can share a bucket; each bucket is scanned once.
  visited_.clear();
  for (std::int64_t cy = top; cy <= bottom; ++cy) {
    for (std::int64_t cx = left; cx <= right; ++cx) {
      const unsigned b = bucketOf(cx, cy);
      if (std::find(visited_.begin(), visited_.end(), b) != visited_.end()) {
        continue;
      }
      visited_.push_back(b);
      for (unsigned m = bucketStart_[b]; m < bucketStart_[b + 1]; ++m) {
        const Entry& other = members_[m];
        const double radiusSum = static_cast<double>(ball.radius + other.radius);
        if (other.index != j &&
            distanceSquared(centre, Vector2D(other.x, other.y)) <= square(radiusSum)) {
          touching.push_back(other.index);
        }
      }
    }
  }
  std::sort(touching.begin(), touching.end());
}
