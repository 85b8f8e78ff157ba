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

// The frame with every ordered pair of balls and every wall tested: the
// reference for the program's frame. Appends each sub-step's contacts if asked.
void exhaustiveUpdateFrame(std::vector<SubStepContacts>* contacts = nullptr);

// Bit-pattern equality of positions and velocities (side by side in a Ball).
inline bool sameBits(const std::vector<Ball>& a, const std::vector<Ball>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Ball& p, const Ball& q) {
    return std::memcmp(&p.position, &q.position, 2 * sizeof(Vector2D)) == 0;
  });
}
