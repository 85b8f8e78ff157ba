#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "world/world.h"

// What touched in one sub-step: the ordered pairs of balls in the order the
// pair pass visits them, and each ball's touching walls in wall order.
struct SubStepContacts {
  std::vector<unsigned> pairs;  // j, k of each pair
  std::vector<unsigned> wallStart;
  std::vector<unsigned> walls;  // ball i's: walls[wallStart[i] .. wallStart[i + 1])
};

// One frame as updateFrame runs it, with the ten sub-steps left to subStep.
void frameAround(const std::function<void(unsigned)>& subStep);

// The frame update with the plain contact search: every ordered pair of balls
// and every wall is tested. Kept as the reference that the fast search must
// match double for double. If contacts is given, each sub-step's contacts are
// appended to it.
void exhaustiveUpdateFrame(std::vector<SubStepContacts>* contacts = nullptr);

// Bit-pattern equality of every ball's position and velocity (which lie side
// by side), so NaN equals NaN and -0.0 differs from 0.0.
inline bool sameBits(const std::vector<Ball>& a, const std::vector<Ball>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Ball& p, const Ball& q) {
    return std::memcmp(&p.position, &q.position, 2 * sizeof(Vector2D)) == 0;
  });
}
