#include "world/world.h"

// Defined in this order so that they are constructed in it.
Vector2D gravity(0.0, 0.005);
std::vector<Ball> balls;
std::vector<Wall> walls;
Vector2D thrust(0.0, 0.0);
double spinAngle = 0.0;
bool leftButtonLatch = false;
bool rightButtonLatch = false;
