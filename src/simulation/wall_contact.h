#pragma once

#include "world/world.h"

// One wall's contact with one ball: finds the point of the segment nearest to
// the centre and, if it lies strictly inside the disc, pushes the ball's
// velocity away from it and damps it. Changes nothing but ball.velocity, and
// says whether the wall touched the ball.
bool resolveWallContact(Ball& ball, const Wall& wall);
