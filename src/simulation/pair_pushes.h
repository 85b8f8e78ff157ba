#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "simulation/touching_pairs.h"
#include "simulation/wide_path.h"
#include "world/world.h"

// The pushes of the pair pass, apart from the velocities they act on: a pair's
// two pushes depend only on the balls' positions, radii and masses, none of
// which the pair pass changes, so they can be worked out many pairs at a time
// and then applied one pair after another, in pair order, as pushAway does:
// velocity = (velocity - push) * 0.999. A ball in several pairs of a batch so
// gets its pushes in the order the pair pass gives them.
//
// With AVX2, four pairs are worked out at once. Both balls of a pair share the
// Manhattan length and the overlap, and the upper ball's direction is the exact
// negation of the lower's wherever an offset component is not zero, which
// leaves six lanes of division a pair instead of eight. Every path gives the
// bits of pushAway; which one runs is chosen once, for the processor.
// Measured with make bench on a 2-core AMD EPYC (Zen 4), interleaved with the
// scalar loop that called pushAway twice a pair: the long game's frame at
// 5,000 balls 0.69-0.92 of the scalar one, settled piles 0.84-0.89, scenes
// with few touching pairs unchanged within the noise. Gathering the positions
// with vgatherdpd was slower than loading them pair by pair and shuffling,
// and AVX-512 no faster than AVX2, as a zmm division costs two ymm ones here.
// What each ball of a pair gets subtracted from its velocity.
struct PairPush {
  Vector2D lower, upper;
};

// The pushes of pairs[0 .. count), into pushes, by the path given.
void workOutPushes(WidePath path, const Ball* balls, const TouchingPair* pairs, std::size_t count,
                   PairPush* pushes);

// The pair pass's pushes for all the touching pairs, in order, by the fastest
// path this processor has.
void pushTouchingPairs(std::vector<Ball>& balls, const TouchingPair* pairs, std::size_t count);
