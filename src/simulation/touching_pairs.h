#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "simulation/ball_lists.h"
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
// for: each is written, and kept by moving on past it if it touches. The loop
// is bound by loading the candidates' positions, not by its arithmetic, and
// stays plain: measured on a 2-core AMD EPYC (Zen 4) over the long game's
// lists, testing four candidates at once with AVX2 took 1.27 of its time at
// 2,500 balls, 1.00 at 5,000 and 0.86 at 10,000; a copy of the positions packed
// tighter was no faster, and one loop over all the lists' groups of four,
// moving to the next ball without a jump, three times slower, as each group
// then waited on the one before it.
std::size_t findTouchingPairs(const std::vector<Ball>& balls, const BallLists& lists,
                              std::vector<TouchingPair>& touching);
