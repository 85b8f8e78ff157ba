#pragma once

#include <vector>

#include "geometry/vector2d.h"

class Ball {
 public:
  Vector2D position;
  Vector2D velocity;  // pixels per physics sub-step
  double mass;        // only ball-ball pushes are divided by it
  int radius;

  // Radius comes before mass here, the reverse of the field order.
  Ball(Vector2D position, Vector2D velocity, int radius, double mass)
      : position(position), velocity(velocity), mass(mass), radius(radius) {}
};

class Wall {
 public:
  Vector2D start;
  Vector2D end;

  Wall(Vector2D start, Vector2D end) : start(start), end(end) {}
};

// The world lives in globals for the whole run. Balls are only ever appended, so
// an index names the same ball forever and ball 0 is always the player's.
// Walls 2 to 9 are the spokes of the wheel; only their ends ever change.
extern Vector2D gravity;
extern std::vector<Ball> balls;
extern std::vector<Wall> walls;
extern Vector2D thrust;
extern double spinAngle;
extern bool leftButtonLatch;
extern bool rightButtonLatch;
