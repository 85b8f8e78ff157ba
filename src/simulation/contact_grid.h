#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "world/world.h"

// Broad phase of the pair pass: finds every touching pair of balls through a
// uniform grid rebuilt from the positions before each pair pass. Each pair is
// looked for once, from the ball with the larger radius, which only needs to
// search as far as twice its own radius; candidates are then tested exactly as
// the exhaustive search tests them, so the set of touching pairs is the same.
//
// The grid is a window of cells laid over the bulk of the balls, planned anew
// every few builds. A ball outside the window (one that fell out of the arena)
// is counted in the nearest edge cell: that keeps neighbouring cells neighbours,
// so any window finds every touching pair, and a good one only keeps the number
// of candidates down. The arrays are kept and reused: once they have grown to
// the ball count, a rebuild allocates nothing.
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
  // A placed ball as the search sees it, kept small: the grid is rebuilt every
  // sub-step and should stay in cache alongside the balls.
  struct Entry {
    double x;
    double y;
    std::int32_t radius;
    std::uint32_t index;

    // Size in the high half, the index counted down in the low half: a ball
    // looks for the balls of lower rank, so each pair is found once, by its
    // larger ball (or, between equals, by the lower index).
    std::int64_t rank() const {
      return std::int64_t{radius < 0 ? -std::int64_t{radius} : radius} << 32 |
             (0xFFFFFFFFll - index);
    }
  };

  // One axis of the window: cells of a given size from an origin, the outer
  // ones also holding everything beyond them.
  struct Axis {
    double origin;
    double inverseCellSize;
    std::int64_t cells;
    // Monotonic in the coordinate, which is all the search relies on. Clamping
    // before the conversion keeps it defined for any coordinate, and above zero
    // truncation is the floor.
    std::int64_t cellOf(double coordinate) const {
      const double cell = (coordinate - origin) * inverseCellSize;
      if (!(cell > 0.0)) {
        return 0;
      }
      return cell < static_cast<double>(cells - 1) ? static_cast<std::int64_t>(cell) : cells - 1;
    }
  };

  void plan(const std::vector<Ball>& balls);
  std::pair<double, double> crowdSpan(const std::vector<Ball>& balls, double Vector2D::*axis,
                                      double margin);
  void bucketBalls(const std::vector<Ball>& balls);
  void findPairs();
  void listNeighbours(unsigned count);

  Axis columns_{0.0, 1.0, 1};
  Axis rows_{0.0, 1.0, 1};
  std::size_t plannedCount_ = 0;
  unsigned buildsSincePlan_ = 0;
  std::vector<double> sample_;        // coordinates along one axis, for planning
  std::vector<unsigned> cellOfBall_;  // or unplaced, for a non-finite coordinate
  std::vector<unsigned> cellStart_;   // cell c holds members_[start[c], start[c + 1])
  std::vector<Entry> members_;        // placed balls grouped by cell, ascending index within
  std::vector<unsigned> pairs_;       // touching pairs, two indices each
  std::vector<unsigned> neighbourStart_;
  std::vector<unsigned> neighbours_;
};
