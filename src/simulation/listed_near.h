#pragma once

#include <cstdint>

#include "simulation/cell_grid.h"
#include "simulation/wide_path.h"

// Covers, with room to spare, the rounding of every distance the neighbour
// lists compare and of the contact test.
constexpr double listingSlack = 1e-9;

// Two balls are listed together when their reference points are at most the
// sum of their reaches apart: a test that gives the same for both orders of the
// two balls, bit for bit.
inline bool listedTogether(const CellGrid::Entry& a, const CellGrid::Entry& b) {
  return distanceSquared(a.point, b.point) <= square((a.reach + b.reach) * (1.0 + listingSlack));
}

// Writes from out on, in order, the index of each entry of [begin, end) that
// is listed with own, is below below and is not own itself; returns the end of
// what it wrote, and may write up to four indices past it.
//
// Whether an entry is kept is as good as random, which a branch would pay for:
// each is written, and kept by moving on past it. With AVX2, four entries,
// which lie next to each other, are tested at once and those kept are packed
// together by a shuffle looked up from the mask of the four.
std::uint32_t* writeListed(WidePath path, const CellGrid::Entry& own, std::uint32_t below,
                           const CellGrid::Entry* begin, const CellGrid::Entry* end,
                           std::uint32_t* out);
