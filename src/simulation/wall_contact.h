#pragma once

#include "world/world.h"

// One wall's contact with one ball: finds the point of the segment nearest to
// the centre and, if it lies strictly inside the disc, pushes the ball's
// velocity away from it and damps it. Changes nothing but ball.velocity.
void resolveWallContact(Ball& ball, const Wall& wall);

// False when the centre lies outside the wall's bounding box grown by reach on
// every side. With reach at least one pixel more than the radius such a wall
// cannot touch the ball, so skipping it changes nothing.
bool wallWithinReach(const Wall& wall, const Vector2D& centre, double reach);
