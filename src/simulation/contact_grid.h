#pragma once

#include <cstdint>
#include <vector>

#include "world/world.h"

// Broad phase of the pair pass: a uniform grid hashed into buckets, rebuilt from
// the ball positions before each pair pass. A cell is wider than any two radii
// together plus a pixel, so every ball that touches ball j lies in the cells that
// j's reach covers. Candidates are then tested exactly as the exhaustive search
// tests them, so the set of touching pairs is the same. The arrays are kept and
// reused; once they have grown to the ball count, a rebuild allocates nothing.
class ContactGrid {
 public:
  void build(const std::vector<Ball>& balls);

  // Replaces touching with every k != j whose disc touches ball j's, ascending.
  void findTouching(unsigned j, std::vector<unsigned>& touching);

 private:
  struct Entry {
    double x;
    double y;
    int radius;
    unsigned index;
  };

  std::int64_t cellOf(double coordinate) const;
  unsigned bucketOf(std::int64_t cellX, std::int64_t cellY) const;

  double cellSize_ = 1.0;
  double largestRadius_ = 0.0;
  unsigned bucketMask_ = 0;
  std::vector<Entry> entries_;         // ball by ball
  std::vector<unsigned> bucketStart_;  // bucket b holds members_[start[b], start[b + 1])
  std::vector<Entry> members_;         // entries grouped by bucket, ascending index within
  std::vector<unsigned char> placed_;  // false for balls with a non-finite coordinate
  std::vector<unsigned> visited_;      // buckets already scanned for the current ball
};
