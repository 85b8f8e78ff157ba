#include "simulation/touching_pairs.h"

std::size_t findTouchingPairs(const std::vector<Ball>& balls, const BallLists& lists,
                              std::vector<TouchingPair>& touching) {
  if (touching.size() < lists.listedMost()) {
    touching.resize(2 * lists.listedMost());
  }
  std::size_t count = 0;
  for (unsigned i = 0; i < balls.size(); ++i) {
    const Ball& ball = balls[i];
    for (auto k = lists.above(i); k != lists.aboveEnd(i); ++k) {
      const Ball& other = balls[*k];
      const double d2 = distanceSquared(ball.position, other.position);
      touching[count] = TouchingPair{i, *k};
      count += d2 <= square(static_cast<double>(ball.radius + other.radius));
    }
  }
  return count;
}
