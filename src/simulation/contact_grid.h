#pragma once

#include <cstdint>
#include <vector>

#include "world/world.h"

// Broad phase of the pair pass: finds every touching pair of balls through a
// uniform grid rebuilt from the positions before each pair pass. Each pair is
// looked for once, from the ball with the larger radius, which only needs to
// search as far as twice its own radius; candidates are then tested exactly as
// the exhaustive search tests them, so the set of touching pairs is the same.
//
// The grid is a dense window of cells around the balls. A ball outside the
// window (one that fell out of the arena) is counted in the nearest edge cell:
// that keeps neighbouring cells neighbours, so it still finds every ball it
// touches, only among more candidates. The arrays are kept and reused: once they
// have grown to the ball count, a rebuild allocates nothing.
class ContactGrid {
 public:
  struct Neighbours {
    const unsigned* first;
    const unsigned* last;
    const unsigned* begin() const { return first; }
    const unsigned* end() const { return last; }
  };

  void build(const std::vector<Ball>& balls);

  // Every k != j whose disc touches ball j's, in ascending order.
  Neighbours touching(unsigned j) const {
    return Neighbours{neighbours_.data() + neighbourStart_[j],
                      neighbours_.data() + neighbourStart_[j + 1]};
  }

 private:
  // A placed ball as the search sees it.
  struct Entry {
    double x;
    double y;
    double radius;  // exact, so adding two gives the integer sum exactly
    // Size in the high half, the index counted down in the low half: a ball
    // looks for the balls of lower rank, so each pair is found once, by its
    // larger ball (or, between equals, by the lower index).
    std::int64_t rank;

    unsigned index() const { return 0xFFFFFFFFu - static_cast<unsigned>(rank & 0xFFFFFFFF); }
  };

  // One axis of the window: cells first .. first + count - 1.
  struct Span {
    std::int64_t first;
    std::int64_t count;
    std::int64_t clamp(std::int64_t cell) const;
  };

  std::int64_t cellOf(double coordinate) const;
  Span spanOf(const std::vector<Ball>& balls, double Vector2D::*axis, double low, double high,
              std::int64_t limit);
  void bucketBalls(const std::vector<Ball>& balls);
  void findPairs();
  void listNeighbours(unsigned count);

  double inverseCellSize_ = 1.0;
  Span columns_{0, 1};
  Span rows_{0, 1};
  std::vector<unsigned> placed_;       // balls with finite coordinates, ascending
  std::vector<std::int64_t> scratch_;  // cells along one axis, for the median
  std::vector<unsigned> cellOfPlaced_;
  std::vector<unsigned> cellStart_;  // cell c holds members_[start[c], start[c + 1])
  std::vector<Entry> members_;       // placed balls grouped by cell, ascending index within
  std::vector<unsigned> pairs_;      // touching pairs, two indices each
  std::vector<unsigned> neighbourStart_;
  std::vector<unsigned> neighbours_;
};
