#pragma once

#include "simulation/ball_lists.h"
#include "simulation/wall_lists.h"

// What the frame keeps from one frame to the next to find contacts quickly.
// It is part of the state of a running world: a copy taken with the world and
// put back with it runs the same frames again at the same cost.
struct ContactSearch {
  BallLists balls;
  WallLists walls;
};

extern ContactSearch contactSearch;
