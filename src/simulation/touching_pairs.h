#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "simulation/ball_lists.h"
#include "simulation/wide_path.h"
#include "world/world.h"

struct TouchingPair {
  std::uint32_t lower, upper;  // lower < upper
};

// The listed pairs that touch (squared distance at most the square of the sum
// of the radii), written to touching from its start in the order of the
// pushes: lower ball ascending, then upper. Returns how many; touching grows as
// needed and may hold more entries past them.
//
// Whether a candidate touches is as good as random, which a branch would pay
// for: each is written, and kept by moving on past it if it touches. With
// AVX2, four candidates of a list are tested at once and those that touch are
// packed together by a shuffle looked up from the mask of the four. Measured
// on a 2-core AMD EPYC (Zen 4) over the long game's lists: 0.97 of the plain
// loop's time at 5,000 balls, 0.86 at 10,000. The loop is bound by loading the
// candidates' positions rather than by arithmetic: a copy of the positions
// packed tighter was no faster, and one loop over all the lists' groups,
// moving to the next ball without a jump, was three times slower, as every
// group then waited on the one before it.
std::size_t findTouchingPairs(WidePath path, const std::vector<Ball>& balls, const BallLists& lists,
                              std::vector<TouchingPair>& touching);
