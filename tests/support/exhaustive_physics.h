#pragma once

#include <vector>

// What touched in one sub-step: the ordered pairs of balls in the order the
// pair pass visits them, and each ball's touching walls in wall order.
struct SubStepContacts {
  std::vector<unsigned> pairs;  // j, k of each pair
  std::vector<unsigned> wallStart;
  std::vector<unsigned> walls;  // ball i's: walls[wallStart[i] .. wallStart[i + 1])
};

// The frame update with the plain contact search: every ordered pair of balls
// and every wall is tested. Kept as the reference that the fast search must
// match double for double. If contacts is given, each sub-step's contacts are
// appended to it.
void exhaustiveUpdateFrame(std::vector<SubStepContacts>* contacts = nullptr);

// The same frame with what touched handed over: only the pushes, gravity, the
// touching walls' responses, integration and damping are left. No search can
// make a frame cheaper. Takes the frame's ten sub-steps.
void replayFrame(const SubStepContacts* contacts);
